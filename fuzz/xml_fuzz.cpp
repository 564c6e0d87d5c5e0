// Feeds arbitrary bytes to the XML document as file content and as text,
// walks every element with the cursor, edits the tree, and checks that what
// the document writes it can read again, unchanged by a second round.
#include "core/CXmlDocument.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void walk(CXmlDocument &doc)
{
    doc.ResetPos();
    int depth = 0;
    for (int steps = 0; steps < 100000; ++steps) {
        if (doc.FindElement()) {
            check(!doc.GetElementName().isEmpty());
            (void)doc.GetCurrentAttribute(QStringLiteral("id"));
            (void)doc.HasAttribute(QStringLiteral("MAC"));
            (void)doc.GetData();
            if (doc.FindChildElement())
                (void)doc.GetChildAttribute(QStringLiteral("id"));
            check(doc.EnterElement());
            ++depth;
        } else if (depth > 0) {
            check(doc.LeaveElement());
            --depth;
        } else {
            check(!doc.LeaveElement());
            return;
        }
    }
}

void edit(CXmlDocument &doc, const QString &value)
{
    doc.ResetPos();
    int n = 0;
    while (doc.FindElement() && n < 1000) {
        doc.SetAttributeInt(QStringLiteral("n"), n);
        if (n++ % 2 == 0)
            check(doc.RemoveElement());
    }
    check(doc.AddElement(QStringLiteral("added")));
    check(doc.SetAttribute(QStringLiteral("v"), value));
    check(doc.EnterElement());
    check(doc.AddElement(QStringLiteral("inner")));
    check(doc.SetData(value));
    check(doc.LeaveElement());
}

// What is written must load again and be written the same way once more.
void roundTrip(const CXmlDocument &doc)
{
    const QByteArray bytes = doc.ToBytes();
    CXmlDocument again;
    check(again.LoadBytes(bytes) == CXmlDocument::Status::Ok);
    check(again.ToBytes() == bytes);
}

void exercise(CXmlDocument &doc, const QString &value, bool hasElement)
{
    walk(doc);
    if (hasElement)
        roundTrip(doc);
    edit(doc, value);
    walk(doc);
    roundTrip(doc);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString value = QString::fromLatin1(bytes.first(qMin<qsizetype>(bytes.size(), 40)));

    CXmlDocument fromFile;
    if (fromFile.LoadBytes(bytes) == CXmlDocument::Status::Ok)
        exercise(fromFile, value, true);
    else
        check(!fromFile.FindElement() && fromFile.ToBytes().isEmpty());

    CXmlDocument fromText;
    if (fromText.SetText(QString::fromUtf8(bytes)) == CXmlDocument::Status::Ok)
        exercise(fromText, value, false);
    return 0;
}
