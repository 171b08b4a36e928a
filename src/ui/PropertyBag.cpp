#include "ui/PropertyBag.h"

namespace zq {

QVariant PropertyBag::ReadProperty(const QString& key, const QVariant& defaultValue) {
  readLog_.append(key);
  return Contains(key) ? Value(key) : defaultValue;
}

void PropertyBag::WriteProperty(const QString& key, const QVariant& value, const QVariant& defaultValue) {
  writeLog_.append(key);
  if (value == defaultValue) return;
  Set(key, value);
}

void PropertyBag::Set(const QString& key, const QVariant& value) {
  for (auto& [k, v] : values_) {
    if (k.compare(key, Qt::CaseInsensitive) == 0) {
      v = value;
      return;
    }
  }
  values_.emplace_back(key, value);
}

bool PropertyBag::Contains(const QString& key) const {
  for (const auto& entry : values_) {
    if (entry.first.compare(key, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

QVariant PropertyBag::Value(const QString& key) const {
  for (const auto& entry : values_) {
    if (entry.first.compare(key, Qt::CaseInsensitive) == 0) return entry.second;
  }
  return {};
}

QStringList PropertyBag::Keys() const {
  QStringList keys;
  for (const auto& entry : values_) keys.append(entry.first);
  return keys;
}

}  // namespace zq
