// The key and value store that stands in for the registry key
// "SOFTWARE\<company>\<product>": a settings file of QSettings in the text
// format of docs/settings-file-format.md. A section is a subkey; list
// sections hold the values "0", "1", ... up to the first missing one.
#pragma once

#include "core/RegExport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QSettings;
class QVariant;

class CRegistryKey
{
public:
    static constexpr int MaxListEntries = 4096;

    enum class ImportStatus { Ok, Unreadable, BadFile, WrongSection, WriteFailed };

    // An empty path opens the user's store of company and product (the
    // settings file "<company>/<product>.ini" in the user's configuration
    // folder); any other path opens the settings file at that path.
    CRegistryKey(const QString &company, const QString &product, const QString &path = QString());
    ~CRegistryKey();
    CRegistryKey(const CRegistryKey &) = delete;
    CRegistryKey &operator=(const CRegistryKey &) = delete;

    QString FilePath() const;
    // False when the store could not be read (values read as missing).
    bool ReadOk() const;

    // Opens a section below the store's root ("A\B" and "A/B" name the same
    // subkey; "" is the root); false for a name that cannot be a section.
    bool OpenSection(const QString &section);
    void CloseSection();
    QString CurrentSection() const { return m_section; }

    // Names relative to the current section.
    QStringList ValueNames() const;
    QStringList SectionNames() const;
    bool HasValue(const QString &name) const;
    bool SectionExists(const QString &section) const;

    std::optional<QString> ReadString(const QString &name) const;
    std::optional<qint64> ReadInt(const QString &name) const;
    std::optional<QByteArray> ReadBytes(const QString &name) const;
    bool WriteString(const QString &name, const QString &value);
    bool WriteInt(const QString &name, qint64 value);
    bool WriteBytes(const QString &name, const QByteArray &value);
    bool DeleteValue(const QString &name);
    bool DeleteSection(const QString &section);

    // Reads "0", "1", ... until one is missing (at most MaxListEntries).
    // With maxBytes > 0 an entry whose GBK form does not fit a buffer of
    // maxBytes bytes (terminator included) is left out.
    QStringList ReadList(const QString &section, qsizetype maxBytes = 0) const;
    // Replaces the section by the entries "0", "1", ...
    bool WriteList(const QString &section, const QStringList &entries);

    // Writes the pending changes through a temporary file that replaces the
    // store in one rename; false when the store could not be written.
    bool Flush();

    // The section with everything below it (relative to the current section).
    RegNode ReadTree(const QString &section) const;
    // Replaces the section's content by the node's values and children.
    bool WriteTree(const QString &section, const RegNode &node);
    // Backup files (docs/settings-backup-format.md). Export returns false
    // when the file could not be written completely.
    bool ExportTree(const QString &section, const QString &filePath) const;
    ImportStatus ImportTree(const QString &section, const QString &filePath, RegExport::Status *parseStatus = nullptr);

    // "A\B" -> "A/B"; nothing when a component is not a valid name.
    static std::optional<QString> NormalizeSection(const QString &section);

private:
    std::optional<QString> fullPath(const QString &section) const;
    bool writeValue(const QString &name, const QVariant &value);
    void writeNode(const RegNode &node);

    std::unique_ptr<QSettings> m_settings;
    QString m_section;
    bool m_dirty = false;
};
