#include "core/RegExport.h"

#include <QSet>
#include <QStringDecoder>
#include <QtEndian>
#include <array>
#include <cstring>

namespace RegExport {

namespace {

// ---- writing -------------------------------------------------------------

class Writer
{
public:
    // A little-endian number.
    template <typename T> void put(T v)
    {
        char b[sizeof(T)];
        qToLittleEndian(v, b);
        m_out.append(b, qsizetype(sizeof(T)));
    }
    void raw(const QByteArray &b) { m_out.append(b); }
    QByteArray &data() { return m_out; }

private:
    QByteArray m_out;
};

bool validNameText(const QString &name, qsizetype maxBytes, bool allowSlash)
{
    if (name.toUtf8().size() > maxBytes)
        return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == u'\\' || (!allowSlash && u == u'/') || c.isSurrogate())
            return false;
    }
    return true;
}

bool validRootName(const QString &path)
{
    if (path.isEmpty())
        return true;
    if (!validNameText(path, MaxPathBytes, true))
        return false;
    for (QStringView part : QStringView(path).split(QLatin1Char('/')))
        if (part.isEmpty())
            return false;
    return true;
}

bool writeNode(Writer &w, const RegNode &node, bool isRoot, int depth, int &items)
{
    if (depth > MaxDepth || !(isRoot ? validRootName(node.name) : isValidName(node.name)))
        return false;
    const QByteArray name = node.name.toUtf8();
    w.put<uint16_t>(static_cast<uint16_t>(name.size()));
    w.raw(name);
    QSet<QString> seen;
    w.put<uint32_t>(static_cast<uint32_t>(node.values.size()));
    for (const RegValue &v : node.values) {
        if (!isValidName(v.name) || seen.contains(v.name) || ++items > MaxItems)
            return false;
        seen.insert(v.name);
        const QByteArray vname = v.name.toUtf8();
        w.put<uint16_t>(static_cast<uint16_t>(vname.size()));
        w.raw(vname);
        w.put<uint8_t>(v.type);
        switch (v.type) {
        case RegValue::String: {
            const QByteArray t = v.text.toUtf8();
            if (t.size() > MaxDataBytes)
                return false;
            w.put<uint32_t>(static_cast<uint32_t>(t.size()));
            w.raw(t);
            break;
        }
        case RegValue::Integer:
            w.put<uint32_t>(8);
            w.put<qint64>(v.integer);
            break;
        case RegValue::Bytes:
            if (v.bytes.size() > MaxDataBytes)
                return false;
            w.put<uint32_t>(static_cast<uint32_t>(v.bytes.size()));
            w.raw(v.bytes);
            break;
        default:
            return false;
        }
    }
    seen.clear();
    w.put<uint32_t>(static_cast<uint32_t>(node.children.size()));
    for (const RegNode &child : node.children) {
        if (seen.contains(child.name) || ++items > MaxItems)
            return false;
        seen.insert(child.name);
        if (!writeNode(w, child, false, depth + 1, items))
            return false;
    }
    return true;
}

// ---- reading -------------------------------------------------------------

// Smallest encodings, used to bound counts before anything is allocated.
constexpr qsizetype kMinValueBytes = 2 + 1 + 1 + 4; // one-byte name, type, length
constexpr qsizetype kMinNodeBytes = 2 + 1 + 4 + 4; // one-byte name, two counts

class Reader
{
public:
    explicit Reader(QByteArrayView data)
        : m_data(data)
    {
    }

    qsizetype remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos == m_data.size(); }

    // A little-endian number.
    template <typename T> bool get(T &v)
    {
        if (remaining() < qsizetype(sizeof(T)))
            return false;
        v = qFromLittleEndian<T>(m_data.data() + m_pos);
        m_pos += qsizetype(sizeof(T));
        return true;
    }
    bool bytes(qsizetype n, QByteArrayView &out)
    {
        if (n < 0 || remaining() < n)
            return false;
        out = m_data.sliced(m_pos, n);
        m_pos += n;
        return true;
    }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    // A leading U+FEFF is text like any other here.
    QStringDecoder d(
        QStringDecoder::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString s = d.decode(bytes);
    if (d.hasError())
        return std::nullopt;
    return s;
}

class Parser
{
public:
    explicit Parser(QByteArrayView body)
        : m_in(body)
    {
    }

    Status run(RegNode &root)
    {
        const Status s = node(root, true, 0);
        if (s != Status::Ok)
            return s;
        return m_in.atEnd() ? Status::Ok : Status::TrailingBytes;
    }

private:
    Status name(QString &out, bool isRoot)
    {
        uint16_t len = 0;
        QByteArrayView raw;
        if (!m_in.get(len) || !m_in.bytes(len, raw))
            return Status::Truncated;
        if (len > (isRoot ? MaxPathBytes : MaxNameBytes))
            return Status::BadName;
        const auto text = strictUtf8(raw);
        if (!text || !(isRoot ? validRootName(*text) : isValidName(*text)))
            return Status::BadName;
        out = *text;
        return Status::Ok;
    }

    Status value(RegValue &v)
    {
        if (const Status s = name(v.name, false); s != Status::Ok)
            return s;
        uint8_t type = 0;
        uint32_t len = 0;
        QByteArrayView data;
        if (!m_in.get(type) || !m_in.get(len))
            return Status::Truncated;
        if (type != RegValue::String && type != RegValue::Integer && type != RegValue::Bytes)
            return Status::BadType;
        if (len > MaxDataBytes)
            return Status::BadValue;
        if (!m_in.bytes(static_cast<qsizetype>(len), data))
            return Status::Truncated;
        v.type = static_cast<RegValue::Type>(type);
        switch (v.type) {
        case RegValue::String: {
            const auto text = strictUtf8(data);
            if (!text)
                return Status::BadValue;
            v.text = *text;
            break;
        }
        case RegValue::Integer:
            if (len != 8)
                return Status::BadValue;
            v.integer = qFromLittleEndian<qint64>(data.data());
            break;
        case RegValue::Bytes:
            v.bytes = data.toByteArray();
            break;
        }
        return Status::Ok;
    }

    Status node(RegNode &n, bool isRoot, int depth)
    {
        if (depth > MaxDepth)
            return Status::TooDeep;
        if (const Status s = name(n.name, isRoot); s != Status::Ok)
            return s;
        uint32_t count = 0;
        if (!m_in.get(count))
            return Status::Truncated;
        if (count > m_in.remaining() / kMinValueBytes)
            return Status::Truncated;
        if ((m_items += static_cast<qint64>(count)) > MaxItems)
            return Status::TooManyItems;
        n.values.reserve(count);
        QSet<QString> seen;
        for (uint32_t i = 0; i < count; ++i) {
            RegValue v;
            if (const Status s = value(v); s != Status::Ok)
                return s;
            if (seen.contains(v.name))
                return Status::BadName;
            seen.insert(v.name);
            n.values.push_back(std::move(v));
        }
        if (!m_in.get(count))
            return Status::Truncated;
        if (count > m_in.remaining() / kMinNodeBytes)
            return Status::Truncated;
        if ((m_items += static_cast<qint64>(count)) > MaxItems)
            return Status::TooManyItems;
        if (count > 0 && depth == MaxDepth)
            return Status::TooDeep;
        n.children.reserve(count);
        seen.clear();
        for (uint32_t i = 0; i < count; ++i) {
            RegNode child;
            if (const Status s = node(child, false, depth + 1); s != Status::Ok)
                return s;
            if (seen.contains(child.name))
                return Status::BadName;
            seen.insert(child.name);
            n.children.push_back(std::move(child));
        }
        return Status::Ok;
    }

    Reader m_in;
    qint64 m_items = 0;
};

} // namespace

bool isValidName(const QString &name)
{
    return !name.isEmpty() && validNameText(name, MaxNameBytes, false);
}

uint32_t crc32(QByteArrayView data)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t {};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (char ch : data)
        crc = table[(crc ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::optional<QByteArray> serialize(const RegNode &root)
{
    Writer body;
    int items = 0;
    if (!writeNode(body, root, true, 0, items))
        return std::nullopt;
    if (HeaderBytes + body.data().size() + TrailerBytes > MaxFileBytes)
        return std::nullopt;
    Writer file;
    file.raw(QByteArray(Magic, sizeof Magic));
    file.put<uint16_t>(Version);
    file.put<uint16_t>(0);
    file.put<uint32_t>(static_cast<uint32_t>(body.data().size()));
    file.raw(body.data());
    file.put<uint32_t>(crc32(file.data()));
    return file.data();
}

ParseResult parseBody(QByteArrayView body)
{
    ParseResult result;
    Parser p(body);
    result.status = p.run(result.root);
    if (result.status != Status::Ok)
        result.root = RegNode();
    return result;
}

ParseResult parse(QByteArrayView file)
{
    const auto failed = [](Status s) {
        ParseResult r;
        r.status = s;
        return r;
    };
    if (file.size() > MaxFileBytes)
        return failed(Status::TooLarge);
    if (file.size() < HeaderBytes + TrailerBytes)
        return failed(Status::TooShort);
    if (std::memcmp(file.data(), Magic, sizeof Magic) != 0)
        return failed(Status::BadMagic);
    if (qFromLittleEndian<uint16_t>(file.data() + 8) != Version)
        return failed(Status::BadVersion);
    if (qFromLittleEndian<uint16_t>(file.data() + 10) != 0)
        return failed(Status::BadFlags);
    const auto bodyLength = qFromLittleEndian<uint32_t>(file.data() + 12);
    if (static_cast<qsizetype>(bodyLength) != file.size() - HeaderBytes - TrailerBytes)
        return failed(Status::BadLength);
    const qsizetype crcAt = file.size() - TrailerBytes;
    if (qFromLittleEndian<uint32_t>(file.data() + crcAt) != crc32(file.first(crcAt)))
        return failed(Status::BadChecksum);
    return parseBody(file.sliced(HeaderBytes, bodyLength));
}

const char *statusText(Status s)
{
    switch (s) {
    case Status::Ok:
        return "ok";
    case Status::TooShort:
        return "file too short";
    case Status::TooLarge:
        return "file too large";
    case Status::BadMagic:
        return "not a settings backup";
    case Status::BadVersion:
        return "unknown format version";
    case Status::BadFlags:
        return "unknown flags";
    case Status::BadLength:
        return "length does not match the file";
    case Status::BadChecksum:
        return "checksum mismatch";
    case Status::Truncated:
        return "truncated";
    case Status::BadName:
        return "bad name";
    case Status::BadType:
        return "bad value type";
    case Status::BadValue:
        return "bad value";
    case Status::TooDeep:
        return "sections nested too deep";
    case Status::TooManyItems:
        return "too many entries";
    case Status::TrailingBytes:
        return "bytes after the data";
    }
    return "?";
}

} // namespace RegExport
