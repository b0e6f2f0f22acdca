#pragma once

#include <QByteArray>
#include <QString>
#include <string>

// Strings cross into Qt through the system's narrow character set, as the
// rest of the program holds them.
inline QString ToQ(const std::string& bytes) {
  return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline QString ToQ(const char* text) {
  return QString::fromLocal8Bit(text);
}

inline std::string FromQ(const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
