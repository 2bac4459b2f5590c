#pragma once
#include <QByteArray>
#include <QString>

namespace ts::test {

// An export as regedit writes it, with a hex(2) value continued on a second line.
inline const QString kRegeditExport = QString::fromUtf8(
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Quillon]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings]\r\n"
    "@=\"Standard\"\r\n"
    "\"Author\"=\"Jörg \\\"JJ\\\" Müller\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings\\General]\r\n"
    "\"Splash\"=dword:00000001\r\n"
    "\"AppMaxi\"=dword:00000000\r\n"
    "\r\n"
    "; a comment line\r\n"
    "[HKEY_CURRENT_USER\\Software\\Quillon\\Tagsmith\\Settings\\Misc]\r\n"
    "\"ExtBrowser\"=\"C:\\\\Programme\\\\Netscape\\\\netscape.exe\"\r\n"
    "\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,\\\r\n"
    "  25,00,5c,00,62,00,69,00,6e,00,00,00\r\n"
    "\"Blob\"=hex:01,02,FF\r\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    "\"Nothing\"=hex:\r\n"
    "\r\n");

inline QByteArray utf16leWithBom(const QString& text) {
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

} // namespace ts::test
