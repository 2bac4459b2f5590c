#include "platform/registrystore.h"

#include <QDir>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <utility>

namespace ts {

namespace {

RegistryStore* g_store = nullptr;

const std::array<const char*, 7> kRootNames = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};
constexpr uint32_t kFirstRoot = 0x80000000u;
const QString kHeader = QStringLiteral("Windows Registry Editor Version 5.00");

QByteArray utf16le(const QString& text, bool terminate) {
    QByteArray out;
    out.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    if (terminate) out.append(2, '\0');
    return out;
}

QString fromUtf16le(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        out.append(QChar(char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8))));
    return out;
}

bool hasLoneSurrogate(const QString& s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate()) {
            if (i + 1 >= s.size() || !s[i + 1].isLowSurrogate()) return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

bool hasControlChar(const QString& s, bool allowTab) {
    return std::any_of(s.begin(), s.end(), [allowTab](QChar c) {
        return c.unicode() < 0x20 && !(allowTab && c == u'\t');
    });
}

// A name can go into the file's text when it survives the line format.
bool writableName(const QString& name) { return !hasControlChar(name, false) && !hasLoneSurrogate(name); }

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool sameNames(const QStringList& a, const QStringList& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameName(a[i], b[i])) return false;
    return true;
}

std::optional<uint32_t> rootFromName(const QString& name) {
    for (size_t i = 0; i < kRootNames.size(); ++i)
        if (name.compare(QLatin1String(kRootNames[i]), Qt::CaseInsensitive) == 0) return kFirstRoot + uint32_t(i);
    return std::nullopt;
}

QString quoted(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == u'\\' || c == u'"') out.append(u'\\');
        out.append(c);
    }
    out.append(u'"');
    return out;
}

// The text of a REG_SZ when it can be written as "..." and read back unchanged.
std::optional<QString> plainStringText(const RegData& data) {
    const QByteArray& b = data.bytes;
    if (b.size() < 2 || b.size() % 2 != 0 || b[b.size() - 1] != 0 || b[b.size() - 2] != 0) return std::nullopt;
    const QString text = fromUtf16le(b.left(b.size() - 2));
    if (text.contains(QChar(0)) || hasControlChar(text, true) || hasLoneSurrogate(text)) return std::nullopt;
    return text;
}

// regedit's layout: hex pairs separated by commas, lines of at most 80
// characters continued with a trailing backslash and two spaces.
void appendHexLines(QString& out, QString line, const QByteArray& bytes) {
    static const char* const digits = "0123456789abcdef";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        line.append(QLatin1Char(digits[b >> 4]));
        line.append(QLatin1Char(digits[b & 15]));
        if (i + 1 < bytes.size()) {
            line.append(u',');
            if (line.size() >= 77) {
                out += line + QStringLiteral("\\\r\n");
                line = QStringLiteral("  ");
            }
        }
    }
    out += line + QStringLiteral("\r\n");
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

std::optional<uint32_t> parseHexNumber(QStringView s, int maxDigits) {
    if (s.isEmpty() || s.size() > maxDigits) return std::nullopt;
    uint32_t v = 0;
    for (QChar c : s) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        v = (v << 4) | uint32_t(d);
    }
    return v;
}

std::optional<QByteArray> parseHexBytes(QStringView text) {
    QByteArray out;
    if (text.trimmed().isEmpty()) return out;
    for (QStringView part : text.split(u',')) {
        part = part.trimmed();
        if (part.size() != 2) return std::nullopt;
        const auto v = parseHexNumber(part, 2);
        if (!v) return std::nullopt;
        out.append(char(*v));
    }
    return out;
}

// Reads a "..." token starting at pos; pos ends after the closing quote.
bool parseQuoted(QStringView line, qsizetype& pos, QString& out, QString& fault) {
    out.clear();
    ++pos;
    while (pos < line.size()) {
        const QChar c = line[pos++];
        if (c == u'"') return true;
        if (c == u'\\') {
            if (pos >= line.size()) break;
            const QChar e = line[pos++];
            if (e != u'\\' && e != u'"') {
                fault = QStringLiteral("ungültige Escape-Folge \"\\%1\"").arg(e);
                return false;
            }
            out.append(e);
        } else {
            out.append(c);
        }
    }
    fault = QStringLiteral("schließendes Anführungszeichen fehlt");
    return false;
}

std::optional<QString> decodeFileText(const QByteArray& bytes, RegDocument::Damage* damage) {
    QByteArray body = bytes;
    std::optional<QStringDecoder> decoder;
    if (body.startsWith("\xFF\xFE")) {
        body.remove(0, 2);
        if (body.size() % 2 != 0) {
            *damage = {0, QStringLiteral("ungültige UTF-16-Daten (ungerade Länge)")};
            return std::nullopt;
        }
        decoder.emplace(QStringConverter::Utf16LE);
    } else {
        if (body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
        decoder.emplace(QStringConverter::Utf8);
    }
    QString text = decoder->decode(body);
    if (decoder->hasError()) {
        *damage = {0, QStringLiteral("ungültige Zeichenkodierung")};
        return std::nullopt;
    }
    return text;
}

} // namespace

// ---- data ---------------------------------------------------------------

RegType RegData::type() const {
    switch (rawType) {
    case regtype::Dword: return RegType::Dword;
    case regtype::Sz: return RegType::String;
    case regtype::ExpandSz: return RegType::ExpandString;
    case regtype::Binary: return RegType::Binary;
    default: return RegType::Other;
    }
}

RegData RegData::dword(uint32_t value) {
    QByteArray b(4, '\0');
    qToLittleEndian(value, b.data());
    return {regtype::Dword, b};
}

RegData RegData::string(const QString& text) { return {regtype::Sz, utf16le(text, true)}; }
RegData RegData::expandString(const QString& text) { return {regtype::ExpandSz, utf16le(text, true)}; }
RegData RegData::binary(const QByteArray& bytes) { return {regtype::Binary, bytes}; }

bool isPredefinedRoot(uint32_t root) { return root >= kFirstRoot && root - kFirstRoot < kRootNames.size(); }

QString rootKeyName(uint32_t root) {
    return isPredefinedRoot(root) ? QLatin1String(kRootNames[root - kFirstRoot]) : QString();
}

QStringList splitKeyPath(const QString& keyPath) { return keyPath.split(u'\\', Qt::SkipEmptyParts); }

// ---- document -----------------------------------------------------------

const RegDocument::Key* RegDocument::findKey(uint32_t root, const QStringList& names) const {
    for (const Key& k : m_keys)
        if (k.root == root && sameNames(k.names, names)) return &k;
    return nullptr;
}

RegDocument::Key* RegDocument::findKey(uint32_t root, const QStringList& names) {
    return const_cast<Key*>(std::as_const(*this).findKey(root, names));
}

RegDocument::Key& RegDocument::ensureKey(uint32_t root, const QStringList& names) {
    // Each missing level gets its own key, and existing levels keep their case.
    // The root's own section only appears when values sit directly in it.
    QStringList path;
    for (qsizetype level = names.isEmpty() ? 0 : 1; level <= names.size(); ++level) {
        if (level > 0) path.append(names[level - 1]);
        if (const Key* k = findKey(root, path))
            path = k->names;
        else
            m_keys.push_back(Key{root, path, {}});
    }
    return *findKey(root, names);
}

const RegData* RegDocument::find(uint32_t root, const QStringList& names, const QString& valueName) const {
    const Key* k = findKey(root, names);
    if (!k) return nullptr;
    for (const Value& v : k->values)
        if (sameName(v.name, valueName)) return &v.data;
    return nullptr;
}

bool RegDocument::keyExists(uint32_t root, const QStringList& names) const {
    if (names.isEmpty()) return true;
    // A key is there when it or any key below it is listed.
    return std::any_of(m_keys.begin(), m_keys.end(), [&](const Key& k) {
        return k.root == root && k.names.size() >= names.size() && sameNames(k.names.mid(0, names.size()), names);
    });
}

void RegDocument::set(uint32_t root, const QStringList& names, const QString& valueName, const RegData& data) {
    Key& k = ensureKey(root, names);
    for (Value& v : k.values) {
        if (sameName(v.name, valueName)) {
            v.data = data;
            return;
        }
    }
    k.values.push_back({valueName, data});
}

void RegDocument::createKey(uint32_t root, const QStringList& names) { ensureKey(root, names); }

bool RegDocument::operator==(const RegDocument& other) const {
    if (m_keys.size() != other.m_keys.size()) return false;
    for (const Key& k : m_keys) {
        const Key* o = other.findKey(k.root, k.names);
        if (!o || o->names != k.names || o->values.size() != k.values.size()) return false;
        for (size_t i = 0; i < k.values.size(); ++i)
            if (o->values[i].name != k.values[i].name || o->values[i].data != k.values[i].data) return false;
    }
    return true;
}

std::optional<RegDocument> RegDocument::parse(const QByteArray& fileBytes, Damage* damage) {
    Damage local;
    if (!damage) damage = &local;
    const std::optional<QString> text = decodeFileText(fileBytes, damage);
    if (!text) return std::nullopt;

    QStringList lines = text->split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r')) l.chop(1);

    const auto fail = [&](qsizetype index, const QString& what) {
        *damage = {int(index + 1), what};
        return std::nullopt;
    };

    if (lines.isEmpty() || lines[0].trimmed() != kHeader)
        return fail(0, QStringLiteral("Kopfzeile \"%1\" fehlt").arg(kHeader));

    RegDocument doc;
    std::optional<size_t> current;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& raw = lines[i];
        if (hasControlChar(raw, true)) return fail(i, QStringLiteral("Steuerzeichen in der Zeile"));
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';')) continue;

        if (line.startsWith(u'[')) {
            if (!line.endsWith(u']')) return fail(i, QStringLiteral("schließende Klammer des Schlüssels fehlt"));
            const QString inner = line.mid(1, line.size() - 2);
            if (inner.startsWith(u'-')) return fail(i, QStringLiteral("Löschen von Schlüsseln wird nicht unterstützt"));
            QStringList names = inner.split(u'\\');
            const auto root = rootFromName(names.takeFirst());
            if (!root) return fail(i, QStringLiteral("unbekannter Stammschlüssel \"%1\"").arg(inner.section(u'\\', 0, 0)));
            if (names.contains(QString())) return fail(i, QStringLiteral("leerer Schlüsselname"));
            // A name the file's UTF-8 cannot hold would be renamed by the next write.
            if (std::any_of(names.begin(), names.end(), hasLoneSurrogate))
                return fail(i, QStringLiteral("ungültiges UTF-16-Zeichen im Schlüsselnamen"));
            current = size_t(&doc.ensureKey(*root, names) - doc.m_keys.data());
            continue;
        }

        if (!line.startsWith(u'"') && !line.startsWith(u'@')) return fail(i, QStringLiteral("unverständliche Zeile"));
        if (!current) return fail(i, QStringLiteral("Wert vor dem ersten Schlüssel"));

        QString name, fault;
        qsizetype pos = 0;
        if (line[0] == u'@') {
            pos = 1;
        } else if (!parseQuoted(line, pos, name, fault)) {
            return fail(i, fault);
        } else if (hasLoneSurrogate(name)) {
            return fail(i, QStringLiteral("ungültiges UTF-16-Zeichen im Wertnamen"));
        }
        while (pos < line.size() && line[pos].isSpace()) ++pos;
        if (pos >= line.size() || line[pos] != u'=') return fail(i, QStringLiteral("\"=\" fehlt"));
        ++pos;
        while (pos < line.size() && line[pos].isSpace()) ++pos;
        const QStringView rest = QStringView(line).mid(pos);
        const qsizetype first = i;

        RegData data;
        if (rest.startsWith(u'"')) {
            qsizetype p = 0;
            QString value;
            if (!parseQuoted(rest, p, value, fault)) return fail(i, fault);
            if (!rest.mid(p).trimmed().isEmpty()) return fail(i, QStringLiteral("Zeichen nach dem Ende der Zeichenkette"));
            data = RegData::string(value);
        } else if (rest.startsWith(u"dword:", Qt::CaseInsensitive)) {
            const auto v = parseHexNumber(rest.mid(6).trimmed(), 8);
            if (!v) return fail(i, QStringLiteral("ungültiger DWORD-Wert"));
            data = RegData::dword(*v);
        } else if (rest.startsWith(u"hex", Qt::CaseInsensitive)) {
            QStringView typePart = rest.mid(3);
            uint32_t type = regtype::Binary;
            if (typePart.startsWith(u'(')) {
                const qsizetype close = typePart.indexOf(u')');
                const auto t = close > 0 ? parseHexNumber(typePart.mid(1, close - 1), 8) : std::nullopt;
                if (!t) return fail(i, QStringLiteral("ungültiger Datentyp"));
                type = *t;
                typePart = typePart.mid(close + 1);
            }
            if (!typePart.startsWith(u':')) return fail(i, QStringLiteral("\":\" fehlt nach dem Datentyp"));
            QString hex = typePart.mid(1).toString();
            // regedit continues long hex data on the next lines after a trailing backslash.
            while (hex.trimmed().endsWith(u'\\')) {
                hex = hex.trimmed();
                hex.chop(1);
                if (++i >= lines.size() || lines[i].trimmed().isEmpty())
                    return fail(first, QStringLiteral("Fortsetzungszeile fehlt"));
                if (hasControlChar(lines[i], true)) return fail(i, QStringLiteral("Steuerzeichen in der Zeile"));
                hex += lines[i].trimmed();
            }
            const auto bytes = parseHexBytes(hex);
            if (!bytes) return fail(first, QStringLiteral("ungültige Hexadezimaldaten"));
            data = RegData{type, *bytes};
        } else if (rest.trimmed() == u"-") {
            return fail(i, QStringLiteral("Löschen von Werten wird nicht unterstützt"));
        } else {
            return fail(i, QStringLiteral("unbekannter Datentyp"));
        }

        Key& k = doc.m_keys[*current];
        doc.set(k.root, k.names, name, data);
    }
    return doc;
}

QByteArray RegDocument::toRegFile() const {
    std::vector<const Key*> sorted;
    for (const Key& k : m_keys) sorted.push_back(&k);
    std::stable_sort(sorted.begin(), sorted.end(), [](const Key* a, const Key* b) {
        if (a->root != b->root) return a->root < b->root;
        for (qsizetype i = 0; i < std::min(a->names.size(), b->names.size()); ++i)
            if (int c = a->names[i].compare(b->names[i], Qt::CaseInsensitive)) return c < 0;
        return a->names.size() < b->names.size();
    });

    QString out = kHeader + QStringLiteral("\r\n\r\n");
    for (const Key* k : sorted) {
        QString path = rootKeyName(k->root);
        for (const QString& n : k->names) path += u'\\' + n;
        out += u'[' + path + QStringLiteral("]\r\n");
        for (const Value& v : k->values) {
            const QString name = (v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name)) + u'=';
            if (v.data.rawType == regtype::Dword && v.data.bytes.size() == 4) {
                out += name + QStringLiteral("dword:%1\r\n")
                                  .arg(qFromLittleEndian<uint32_t>(v.data.bytes.constData()), 8, 16, QLatin1Char('0'));
            } else if (const auto text = v.data.rawType == regtype::Sz ? plainStringText(v.data) : std::nullopt) {
                out += name + quoted(*text) + QStringLiteral("\r\n");
            } else {
                const QString prefix = v.data.rawType == regtype::Binary
                                           ? QStringLiteral("hex:")
                                           : QStringLiteral("hex(%1):").arg(v.data.rawType, 0, 16);
                appendHexLines(out, name + prefix, v.data.bytes);
            }
        }
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

// A key under another root could not be read back: the file names only the predefined ones.
void checkWritableKey(const QString& path, uint32_t root, const QStringList& names, const QString& valueName) {
    const auto refuse = [&](const QString& why) {
        throw RegistryWriteError(
            QStringLiteral("Registrierungsdatei \"%1\" kann nicht geschrieben werden: %2").arg(path, why));
    };
    if (!isPredefinedRoot(root)) refuse(QStringLiteral("ungültiger Stammschlüssel 0x%1").arg(root, 8, 16, QLatin1Char('0')));
    for (const QString& n : names)
        if (!writableName(n)) refuse(QStringLiteral("ungültiger Schlüsselname"));
    if (!writableName(valueName)) refuse(QStringLiteral("ungültiger Wertname"));
}

// ---- location -------------------------------------------------------------

QString defaultRegistryPath() {
    const QString explicitPath = qEnvironmentVariable("TAGSMITH_REGISTRY");
    if (!explicitPath.isEmpty()) return explicitPath;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Quillon/Tagsmith.reg");
}

RegistryStore& registryStore() {
    static RegFileStore real;
    return g_store ? *g_store : real;
}

void setRegistryStore(RegistryStore* store) { g_store = store; }

} // namespace ts
