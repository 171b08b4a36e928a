#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>
#include <vector>

namespace zq {

// A form's stored data for one control: named values, in the order written.
// Reads and writes are logged so the order can be checked.
class PropertyBag {
 public:
  // The stored value, or the default when the key is absent.
  QVariant ReadProperty(const QString& key, const QVariant& defaultValue);
  // Stores the value unless it equals the default (defaults are not stored).
  void WriteProperty(const QString& key, const QVariant& value, const QVariant& defaultValue);

  void Set(const QString& key, const QVariant& value);
  bool Contains(const QString& key) const;
  QVariant Value(const QString& key) const;
  QStringList Keys() const;

  const QStringList& ReadLog() const { return readLog_; }
  const QStringList& WriteLog() const { return writeLog_; }

 private:
  std::vector<std::pair<QString, QVariant>> values_;
  QStringList readLog_;
  QStringList writeLog_;
};

}  // namespace zq
