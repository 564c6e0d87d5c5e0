// An XML document walked with a cursor: the configuration file, the face
// index and the group exports are read and written through it.
//
// The cursor has three positions, all at one level of the tree:
//   - the level: the element whose children are walked (the document itself at the top);
//   - the current element: one child of the level, or none ("before the first");
//   - the child: one child of the current element, or none.
// FindElement moves the current element forward, FindChildElement the child;
// EnterElement makes the current element the level (its child, if any,
// becomes current); LeaveElement goes back up (the element left becomes current).
//
// Text encoding: a document whose declaration names gb2312, gbk, gb18030 or
// cp936 is read and written as GBK; every other document as UTF-8. The
// declaration is kept and written back exactly as it was given. Characters
// that GBK cannot hold are written as character references (&#N;), so that
// nothing the user typed is lost.
//
// A document may hold several elements at the top level; they are read and
// written as they stand. Parsing is bounded: input above kMaxBytes is refused.
// Not thread-safe: one document belongs to one thread.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

class CXmlDocument
{
public:
    enum class Status {
        Ok,
        FileMissing, // the file does not exist
        ReadFailed, // not a regular file, or it cannot be opened or read
        TooLarge, // above kMaxBytes
        Empty, // no element at all (an empty file, or a declaration only)
        Malformed, // not well-formed XML (truncated, garbled, text outside elements, NUL bytes)
        WriteFailed, // the file could not be written; an existing file is left as it was
    };
    // Which element an attribute operation addresses.
    enum class Target { Current, Child };

    static constexpr qsizetype kMaxBytes = 16 * 1024 * 1024;

    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(CXmlDocument &&) noexcept;
    CXmlDocument &operator=(CXmlDocument &&) noexcept;
    CXmlDocument(const CXmlDocument &) = delete;
    CXmlDocument &operator=(const CXmlDocument &) = delete;

    // The whole document as text, starting with its declaration (kept as
    // given). An empty text clears the document; a declaration alone gives an
    // empty document that is written with that declaration. On failure the
    // document is empty. The cursor goes to the top level.
    Status SetText(const QString &text);
    // The content of a file: the encoding comes from its declaration. At least
    // one element is required.
    Status LoadBytes(QByteArrayView bytes);
    Status LoadFile(const QString &path);
    // Writes ToBytes() atomically: the old file stays untouched on failure.
    Status SaveFile(const QString &path);

    QString GetText() const;
    // The bytes SaveFile writes: the declaration line, then the elements
    // indented with tabs, lines ended by "\n"; in GBK when the declaration says so.
    QByteArray ToBytes() const;
    bool IsGbk() const;
    // What went wrong in the last failed operation, for logs.
    QString ErrorText() const;

    // Cursor back to the top level, before the first element.
    void ResetPos();
    // The next element of that name (any element for an empty name) after the
    // current one becomes current; false, with the cursor unchanged, when none.
    bool FindElement(const QString &name = {});
    // The same among the children of the current element. With no current
    // element the first element of the level becomes current first.
    bool FindChildElement(const QString &name = {});
    bool EnterElement();
    bool LeaveElement();
    // Inserts an empty element after the current one, or at the end of the
    // level when there is none (at the top level that adds a top-level
    // element), and makes it current. False for a name that is not a valid
    // element name (or has characters outside GBK in a GBK document).
    bool AddElement(const QString &name);
    // Removes the current element with its contents; the previous element
    // becomes current (none when it was the first), so a following
    // FindElement continues with the element after the removed one.
    bool RemoveElement();

    QString GetElementName() const;
    QString GetChildElementName() const;
    // The named attribute of the current element (of the child), empty when
    // the element or the attribute is missing.
    QString GetCurrentAttribute(const QString &name) const;
    QString GetChildAttribute(const QString &name) const;
    bool HasAttribute(const QString &name) const;
    // The character data of the current element (of the child).
    QString GetData() const;
    QString GetChildData() const;

    // An attribute that exists keeps its place; a new one is appended, so
    // attributes stay in the order they were first written.
    bool SetAttribute(const QString &name, const QString &text);
    bool SetAttribute(Target target, const QString &name, const QString &text);
    // The value written as decimal ("%d").
    bool SetAttributeInt(const QString &name, int value);
    bool SetAttributeInt(Target target, const QString &name, int value);
    bool SetData(const QString &text);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
