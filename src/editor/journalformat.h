#pragma once
#include <QString>
#include <QtGlobal>
#include <array>
#include <string_view>

// The layout of a journal file, shared by its writer and its reader. It
// never changes: journals of earlier versions must replay.
namespace ts::journal {

constexpr char kMagic[] = "TAGSMITH-JOURNAL 1\n";
constexpr qsizetype kMagicSize = sizeof(kMagic) - 1;
inline const QString kSuffix = QStringLiteral(".journal");
// A whole text being written beside its journal.
inline const QString kTempSuffix = QStringLiteral(".tmp");

inline quint32 crc32Update(quint32 c, const char* data, qsizetype size) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    for (qsizetype i = 0; i < size; ++i) c = table[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
    return c;
}
inline quint32 crc32(const char* data, qsizetype size) { return crc32Update(0xFFFFFFFFu, data, size) ^ 0xFFFFFFFFu; }

// Reads the little-endian numbers and length-prefixed byte strings of a batch.
class Reader {
public:
    Reader(const char* p, qsizetype n) : m_p(p), m_end(p + n) {}
    bool atEnd() const { return m_p == m_end; }
    bool u8(quint8& v) {
        if (m_end - m_p < 1) return false;
        v = static_cast<quint8>(*m_p++);
        return true;
    }
    bool u64(quint64& v) {
        if (m_end - m_p < 8) return false;
        v = 0;
        for (int i = 0; i < 8; ++i) v |= quint64(static_cast<unsigned char>(m_p[i])) << (8 * i);
        m_p += 8;
        return true;
    }
    bool bytes(std::string_view& s) {
        quint64 n = 0;
        if (!u64(n) || quint64(m_end - m_p) < n) return false;
        s = std::string_view(m_p, n);
        m_p += n;
        return true;
    }

private:
    const char* m_p;
    const char* m_end;
};

} // namespace ts::journal
