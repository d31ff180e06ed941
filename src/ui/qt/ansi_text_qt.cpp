#include "ui/qt/ansi_text_qt.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace varomby::qt {
namespace {

// Stands in for control characters when drawing (as hex viewers do); the
// stored bytes keep the real character.
constexpr char16_t kControlStandIn = 0x00B7;  // MIDDLE DOT

QByteArrayView ViewOf(const AnsiText& text) { return QByteArrayView(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QString DecodeAnsi(const AnsiText& text) {
  // A fresh decoder per text: no state carries over from a cell that ended
  // inside a double-byte character.
  QStringDecoder decoder("GBK");
  return decoder.decode(ViewOf(text));
}

QString DecodeAnsiForDisplay(const AnsiText& text) {
  QString shown = DecodeAnsi(text);
  for (QChar& c : shown) {
    const char16_t code = c.unicode();
    if (code < 0x20 || code == 0x7F) c = QChar(kControlStandIn);
  }
  return shown;
}

AnsiText EncodeAnsi(const QString& text) {
  QStringEncoder encoder("GBK");
  const QByteArray bytes = encoder.encode(text);
  return AnsiText(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

AnsiText PathToAnsi(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return AnsiText(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString AnsiToPath(const AnsiText& path) { return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))); }

}  // namespace varomby::qt
