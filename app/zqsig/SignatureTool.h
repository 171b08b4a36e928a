#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zq {

// zqsig: keys, add, add-key, sample. Returns the exit status.
int RunSignatureTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zq
