#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zq::guard {

// Mount points of the file systems that hold data (and programs), from the
// text of /proc/self/mountinfo: pseudo file systems are left out.
std::vector<std::string> DataMountPoints(std::string_view mountinfo);

// The same for this machine ("" list when mountinfo cannot be read).
std::vector<std::string> DataMountPoints();

}  // namespace zq::guard
