#include "core/CXmlDocument.h"

#include "core/Gbk.h"
#include "core/XmlText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <pugixml.hpp>

#include <cstring>

using namespace XmlText;

namespace {

// Comments are kept so that a hand-edited file survives a rewrite; several
// top-level elements are allowed. Blanks between elements are layout, but the
// blank data of an element without children is data.
constexpr unsigned kParseFlags
    = pugi::parse_default | pugi::parse_fragment | pugi::parse_comments | pugi::parse_ws_pcdata_single;
constexpr unsigned kFormatFlags = pugi::format_indent | pugi::format_no_declaration;

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr int kMaxDepth = 256;

// Collects the serialised tree. A carriage return reaches the output raw only
// from element data (attributes are escaped, and the parser turns every other
// line end into "\n"); it is written as a reference so that reading the file
// again keeps it.
class ByteWriter : public pugi::xml_writer
{
public:
    explicit ByteWriter(QByteArray &out)
        : m_out(out)
    {
    }
    void write(const void *data, size_t size) override
    {
        const QByteArrayView chunk(static_cast<const char *>(data), static_cast<qsizetype>(size));
        qsizetype from = 0;
        for (qsizetype cr; (cr = chunk.indexOf('\r', from)) >= 0; from = cr + 1)
            m_out.append(chunk.sliced(from, cr - from)).append("&#13;");
        m_out.append(chunk.sliced(from));
    }

private:
    QByteArray &m_out;
};

} // namespace

struct CXmlDocument::Impl
{
    pugi::xml_document doc;
    pugi::xml_node level;
    pugi::xml_node current;
    pugi::xml_node child;
    QByteArray declaration; // as given
    bool gbk = false;
    bool bom = false;
    QString error;

    void clear()
    {
        doc.reset();
        declaration.clear();
        gbk = false;
        bom = false;
        level = doc;
        current = child = {};
    }

    Status fail(Status status, const QString &why)
    {
        clear();
        error = why;
        return status;
    }

    bool acceptsName(const QString &name) const
    {
        return isValidName(name) && (!gbk || gbkCanHold(name.toUtf8().constData()));
    }

    pugi::xml_node target(Target t) const { return t == Target::Child ? child : current; }

    // Refuses nesting deeper than any file of ours (indenting it would take
    // space quadratic in the depth) and, in a GBK document, names that GBK
    // cannot hold (bytes that were already garbled): they could not be written
    // back readable.
    bool checkTree()
    {
        int depth = 0;
        for (pugi::xml_node n = doc.first_child(); n;) {
            bool ok = !gbk || n.type() != pugi::node_element || gbkCanHold(n.name());
            for (pugi::xml_attribute a = n.first_attribute(); gbk && ok && a; a = a.next_attribute())
                ok = gbkCanHold(a.name());
            if (!ok) {
                error = QStringLiteral("a name that is not valid GBK");
                return false;
            }
            if (pugi::xml_node first = n.first_child()) {
                if (++depth > kMaxDepth) {
                    error = QStringLiteral("elements nested too deeply");
                    return false;
                }
                n = first;
                continue;
            }
            while (n != doc && !n.next_sibling()) {
                n = n.parent();
                --depth;
            }
            n = n == doc ? pugi::xml_node() : n.next_sibling();
        }
        return true;
    }

    // Parses UTF-8 markup (the declaration already split off and stored).
    Status parseBody(QByteArrayView body, bool requireElement)
    {
        if (body.contains('\0'))
            return fail(Status::Malformed, QStringLiteral("NUL byte in the document"));
        const pugi::xml_parse_result r
            = doc.load_buffer(body.data(), static_cast<size_t>(body.size()), kParseFlags, pugi::encoding_utf8);
        if (!r)
            return fail(
                Status::Malformed, QStringLiteral("%1 at offset %2").arg(QLatin1String(r.description())).arg(r.offset));
        int elements = 0;
        for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
            if (n.type() == pugi::node_element)
                ++elements;
            else if (n.type() != pugi::node_comment)
                return fail(Status::Malformed, QStringLiteral("text outside the elements"));
        }
        if (requireElement && elements == 0)
            return fail(Status::Empty, QStringLiteral("the document holds no element"));
        if (!checkTree())
            return fail(Status::Malformed, error);
        level = doc;
        current = child = {};
        error.clear();
        return Status::Ok;
    }

    // The declaration line, then the tree in UTF-8.
    QByteArray serialize() const
    {
        QByteArray out = declaration;
        if (!out.isEmpty())
            out += '\n';
        ByteWriter writer(out);
        doc.save(writer, "\t", kFormatFlags, pugi::encoding_utf8);
        return out;
    }

    // Takes the declaration (ASCII, the same in GBK and UTF-8) off the text
    // and settles the encoding.
    bool takeDeclaration(QByteArrayView &text)
    {
        if (text.startsWith(kBom)) {
            bom = true;
            text = text.sliced(3);
        }
        const SplitText split = splitDeclaration(text);
        if (!split.ok)
            return false;
        gbk = declaresGbk(split.declaration);
        declaration = split.declaration.toByteArray();
        text = split.body;
        return true;
    }
};

CXmlDocument::CXmlDocument()
    : d(std::make_unique<Impl>())
{
    d->clear();
}

CXmlDocument::~CXmlDocument() = default;
CXmlDocument::CXmlDocument(CXmlDocument &&) noexcept = default;
CXmlDocument &CXmlDocument::operator=(CXmlDocument &&) noexcept = default;

CXmlDocument::Status CXmlDocument::SetText(const QString &text)
{
    d->clear();
    d->error.clear();
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > kMaxBytes)
        return d->fail(Status::TooLarge, QStringLiteral("the text is too large"));
    QByteArrayView body(utf8);
    if (!d->takeDeclaration(body))
        return d->fail(Status::Malformed, QStringLiteral("unterminated or garbled declaration"));
    return d->parseBody(body, false);
}

CXmlDocument::Status CXmlDocument::LoadBytes(QByteArrayView bytes)
{
    d->clear();
    if (bytes.size() > kMaxBytes)
        return d->fail(Status::TooLarge, QStringLiteral("the document is too large"));
    QByteArrayView body = bytes;
    if (!d->takeDeclaration(body))
        return d->fail(Status::Malformed, QStringLiteral("unterminated or garbled declaration"));
    if (d->gbk)
        return d->parseBody(Gbk::decode(body).toUtf8(), true);
    return d->parseBody(body, true);
}

CXmlDocument::Status CXmlDocument::LoadFile(const QString &path)
{
    d->clear();
    const QFileInfo info(path);
    if (!info.exists())
        return d->fail(Status::FileMissing, QStringLiteral("%1 does not exist").arg(path));
    if (!info.isFile())
        return d->fail(Status::ReadFailed, QStringLiteral("%1 is not a file").arg(path));
    if (info.size() > kMaxBytes)
        return d->fail(Status::TooLarge, QStringLiteral("%1 is too large").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return d->fail(Status::ReadFailed, file.errorString());
    // One byte more than allowed tells a file that grew since it was measured.
    const QByteArray bytes = file.read(info.size() + 1);
    if (file.error() != QFileDevice::NoError)
        return d->fail(Status::ReadFailed, file.errorString());
    return LoadBytes(bytes);
}

CXmlDocument::Status CXmlDocument::SaveFile(const QString &path)
{
    QSaveFile file(path);
    const QByteArray bytes = ToBytes();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        d->error = file.errorString();
        file.cancelWriting();
        return Status::WriteFailed;
    }
    return Status::Ok;
}

QString CXmlDocument::GetText() const
{
    return fromUtf8(d->serialize());
}

QByteArray CXmlDocument::ToBytes() const
{
    if (d->gbk)
        return encodeGbk(GetText());
    // The tree keeps the bytes as read, so even a file with stray bytes is
    // written back unchanged.
    return d->bom ? kBom + d->serialize() : d->serialize();
}

bool CXmlDocument::IsGbk() const
{
    return d->gbk;
}

QString CXmlDocument::ErrorText() const
{
    return d->error;
}

void CXmlDocument::ResetPos()
{
    d->level = d->doc;
    d->current = d->child = {};
}

namespace {

pugi::xml_node findFrom(pugi::xml_node n, const QString &name)
{
    const QByteArray wanted = name.toUtf8();
    for (; n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element && (wanted.isEmpty() || std::strcmp(n.name(), wanted.constData()) == 0))
            return n;
    }
    return {};
}

} // namespace

bool CXmlDocument::FindElement(const QString &name)
{
    const pugi::xml_node found = findFrom(d->current ? d->current.next_sibling() : d->level.first_child(), name);
    if (!found)
        return false;
    d->current = found;
    d->child = {};
    return true;
}

bool CXmlDocument::FindChildElement(const QString &name)
{
    if (!d->current && !FindElement())
        return false;
    const pugi::xml_node found = findFrom(d->child ? d->child.next_sibling() : d->current.first_child(), name);
    if (!found)
        return false;
    d->child = found;
    return true;
}

bool CXmlDocument::EnterElement()
{
    if (!d->current)
        return false;
    d->level = d->current;
    d->current = d->child;
    d->child = {};
    return true;
}

bool CXmlDocument::LeaveElement()
{
    if (d->level.type() == pugi::node_document)
        return false;
    d->child = d->current;
    d->current = d->level;
    d->level = d->level.parent();
    return true;
}

bool CXmlDocument::AddElement(const QString &name)
{
    if (!d->acceptsName(name))
        return false;
    pugi::xml_node added = d->current ? d->level.insert_child_after(pugi::node_element, d->current)
                                      : d->level.append_child(pugi::node_element);
    if (!added || !added.set_name(name.toUtf8().constData()))
        return false;
    d->current = added;
    d->child = {};
    return true;
}

bool CXmlDocument::RemoveElement()
{
    if (!d->current)
        return false;
    pugi::xml_node previous = d->current.previous_sibling();
    while (previous && previous.type() != pugi::node_element)
        previous = previous.previous_sibling();
    d->level.remove_child(d->current);
    d->current = previous;
    d->child = {};
    return true;
}

QString CXmlDocument::GetElementName() const
{
    return fromUtf8(d->current.name());
}

QString CXmlDocument::GetChildElementName() const
{
    return fromUtf8(d->child.name());
}

QString CXmlDocument::GetCurrentAttribute(const QString &name) const
{
    return fromUtf8(d->current.attribute(name.toUtf8().constData()).value());
}

QString CXmlDocument::GetChildAttribute(const QString &name) const
{
    return fromUtf8(d->child.attribute(name.toUtf8().constData()).value());
}

bool CXmlDocument::HasAttribute(const QString &name) const
{
    return bool(d->current.attribute(name.toUtf8().constData()));
}

QString CXmlDocument::GetData() const
{
    return fromUtf8(d->current.text().get());
}

QString CXmlDocument::GetChildData() const
{
    return fromUtf8(d->child.text().get());
}

bool CXmlDocument::SetAttribute(const QString &name, const QString &text)
{
    return SetAttribute(Target::Current, name, text);
}

bool CXmlDocument::SetAttribute(Target target, const QString &name, const QString &text)
{
    pugi::xml_node element = d->target(target);
    if (!element || !d->acceptsName(name))
        return false;
    const QByteArray key = name.toUtf8();
    pugi::xml_attribute attribute = element.attribute(key.constData());
    if (!attribute)
        attribute = element.append_attribute(key.constData());
    return attribute && attribute.set_value(text.toUtf8().constData());
}

bool CXmlDocument::SetAttributeInt(const QString &name, int value)
{
    return SetAttribute(Target::Current, name, QString::number(value));
}

bool CXmlDocument::SetAttributeInt(Target target, const QString &name, int value)
{
    return SetAttribute(target, name, QString::number(value));
}

bool CXmlDocument::SetData(const QString &text)
{
    if (!d->current)
        return false;
    pugi::xml_text data = d->current.text();
    // No empty text node: it would read back as no data at all.
    if (text.isEmpty())
        return !data.data() || d->current.remove_child(data.data());
    return data.set(text.toUtf8().constData());
}
