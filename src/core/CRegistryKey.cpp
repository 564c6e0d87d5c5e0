#include "core/CRegistryKey.h"

#include "core/Gbk.h"
#include "core/SettingsFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <algorithm>
#include <sys/stat.h>

namespace {

bool readSettingsFile(QIODevice &device, QSettings::SettingsMap &map)
{
    if (device.size() > SettingsFile::MaxFileBytes)
        return false;
    const SettingsFile::ParseResult r = SettingsFile::parse(device.readAll());
    map = r.values;
    // Unreadable lines are dropped; the rest of the store stays usable.
    return r.status != SettingsFile::Status::TooLarge;
}

// Every byte is checked: QSaveFile (Qt 6.4) commits a file whose buffered
// data could not be written, so a short write must fail here, before the
// commit replaces the old file.
bool writeSettingsFile(QIODevice &device, const QSettings::SettingsMap &map)
{
    const QByteArray data = SettingsFile::serialize(map);
    if (device.write(data) != data.size())
        return false;
    auto *file = qobject_cast<QFileDevice *>(&device);
    return !file || (file->flush() && file->error() == QFileDevice::NoError);
}

QSettings::Format settingsFormat()
{
    static const QSettings::Format format
        = QSettings::registerFormat(QStringLiteral("ini"), readSettingsFile, writeSettingsFile, Qt::CaseSensitive);
    return format;
}

RegValue toRegValue(const QString &name, const QVariant &v)
{
    RegValue r;
    r.name = name;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        r.type = RegValue::Integer;
        r.integer = v.toLongLong();
        break;
    case QMetaType::QByteArray:
        r.type = RegValue::Bytes;
        r.bytes = v.toByteArray();
        break;
    case QMetaType::QStringList:
        r.text = v.toStringList().join(QLatin1Char(','));
        break;
    default:
        r.text = v.toString();
        break;
    }
    return r;
}

QVariant toVariant(const RegValue &v)
{
    switch (v.type) {
    case RegValue::Integer:
        return QVariant(static_cast<qlonglong>(v.integer));
    case RegValue::Bytes:
        return QVariant(v.bytes);
    default:
        return QVariant(v.text);
    }
}

// QSettings guards its writes with a lock file. A writer killed between
// creating that file and writing its owner into it leaves an empty lock (or
// an empty ".rmlock" of the stale-lock removal) that would block every later
// save for half a minute; such files are an abandoned moment, not an owner.
void removeAbandonedLocks(const QString &settingsFile)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (QString lock = settingsFile + QStringLiteral(".lock"); QFileInfo::exists(lock);
         lock += QStringLiteral(".rmlock")) {
        const QFileInfo info(lock);
        if (info.size() == 0 && info.lastModified().toUTC().msecsTo(now) > 1000)
            QFile::remove(lock);
    }
}

struct FileIdentity
{
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    qint64 mtimeNs = 0;
    qint64 size = 0;
    bool operator==(const FileIdentity &) const = default;
};

FileIdentity identity(const QString &path)
{
    struct stat st;
    FileIdentity id;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        id.exists = true;
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        id.size = st.st_size;
    }
    return id;
}

} // namespace

CRegistryKey::CRegistryKey(const QString &company, const QString &product, const QString &path)
{
    if (path.isEmpty())
        m_settings = std::make_unique<QSettings>(settingsFormat(), QSettings::UserScope, company, product);
    else
        m_settings = std::make_unique<QSettings>(path, settingsFormat());
    m_settings->setFallbacksEnabled(false);
    m_settings->setAtomicSyncRequired(true);
}

CRegistryKey::~CRegistryKey()
{
    Flush();
}

QString CRegistryKey::FilePath() const
{
    return m_settings->fileName();
}

bool CRegistryKey::ReadOk() const
{
    return m_settings->status() == QSettings::NoError;
}

std::optional<QString> CRegistryKey::NormalizeSection(const QString &section)
{
    QString s = section;
    s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (s.isEmpty())
        return s;
    for (const QString &part : s.split(QLatin1Char('/')))
        if (!RegExport::isValidName(part))
            return std::nullopt;
    return s;
}

std::optional<QString> CRegistryKey::fullPath(const QString &section) const
{
    const auto rel = NormalizeSection(section);
    if (!rel)
        return std::nullopt;
    if (m_section.isEmpty())
        return *rel;
    if (rel->isEmpty())
        return m_section;
    return m_section + QLatin1Char('/') + *rel;
}

bool CRegistryKey::OpenSection(const QString &section)
{
    const auto s = NormalizeSection(section);
    if (!s)
        return false;
    CloseSection();
    if (!s->isEmpty())
        m_settings->beginGroup(*s);
    m_section = *s;
    return true;
}

void CRegistryKey::CloseSection()
{
    if (!m_section.isEmpty())
        m_settings->endGroup();
    m_section.clear();
}

QStringList CRegistryKey::ValueNames() const
{
    QStringList names = m_settings->childKeys();
    std::sort(names.begin(), names.end());
    return names;
}

QStringList CRegistryKey::SectionNames() const
{
    QStringList names = m_settings->childGroups();
    std::sort(names.begin(), names.end());
    return names;
}

bool CRegistryKey::HasValue(const QString &name) const
{
    return RegExport::isValidName(name) && m_settings->contains(name);
}

bool CRegistryKey::SectionExists(const QString &section) const
{
    const auto s = NormalizeSection(section);
    if (!s)
        return false;
    if (s->isEmpty())
        return true;
    m_settings->beginGroup(*s);
    const bool exists = !m_settings->childKeys().isEmpty() || !m_settings->childGroups().isEmpty();
    m_settings->endGroup();
    return exists;
}

std::optional<QString> CRegistryKey::ReadString(const QString &name) const
{
    if (!HasValue(name))
        return std::nullopt;
    const RegValue v = toRegValue(name, m_settings->value(name));
    if (v.type == RegValue::Bytes)
        return std::nullopt;
    return v.type == RegValue::Integer ? QString::number(v.integer) : v.text;
}

std::optional<qint64> CRegistryKey::ReadInt(const QString &name) const
{
    if (!HasValue(name))
        return std::nullopt;
    const QVariant v = m_settings->value(name);
    if (v.typeId() == QMetaType::QByteArray)
        return std::nullopt;
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

std::optional<QByteArray> CRegistryKey::ReadBytes(const QString &name) const
{
    if (!HasValue(name))
        return std::nullopt;
    const QVariant v = m_settings->value(name);
    if (v.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return v.toByteArray();
}

bool CRegistryKey::writeValue(const QString &name, const QVariant &value)
{
    if (!RegExport::isValidName(name))
        return false;
    m_settings->setValue(name, value);
    m_dirty = true;
    return true;
}

bool CRegistryKey::WriteString(const QString &name, const QString &value)
{
    return writeValue(name, value);
}

bool CRegistryKey::WriteInt(const QString &name, qint64 value)
{
    return writeValue(name, static_cast<qlonglong>(value));
}

bool CRegistryKey::WriteBytes(const QString &name, const QByteArray &value)
{
    return writeValue(name, value);
}

bool CRegistryKey::DeleteValue(const QString &name)
{
    if (!HasValue(name))
        return false;
    m_settings->remove(name);
    m_dirty = true;
    return true;
}

bool CRegistryKey::DeleteSection(const QString &section)
{
    const auto s = NormalizeSection(section);
    if (!s)
        return false;
    m_settings->remove(*s); // "" removes everything in the current section
    m_dirty = true;
    return true;
}

QStringList CRegistryKey::ReadList(const QString &section, qsizetype maxBytes) const
{
    QStringList entries;
    const auto s = NormalizeSection(section);
    if (!s)
        return entries;
    if (!s->isEmpty())
        m_settings->beginGroup(*s);
    for (int i = 0; i < MaxListEntries; ++i) {
        const QString name = QString::number(i);
        if (!m_settings->contains(name))
            break;
        const QString text = m_settings->value(name).toString();
        if (maxBytes > 0 && Gbk::byteLength(text) >= maxBytes)
            continue;
        entries.append(text);
    }
    if (!s->isEmpty())
        m_settings->endGroup();
    return entries;
}

bool CRegistryKey::WriteList(const QString &section, const QStringList &entries)
{
    const auto s = NormalizeSection(section);
    if (!s || s->isEmpty())
        return false;
    m_settings->remove(*s);
    m_settings->beginGroup(*s);
    for (qsizetype i = 0; i < entries.size(); ++i)
        m_settings->setValue(QString::number(i), entries[i]);
    m_settings->endGroup();
    m_dirty = true;
    return true;
}

bool CRegistryKey::Flush()
{
    if (!m_dirty)
        return true;
    m_dirty = false;
    const bool readError = m_settings->status() != QSettings::NoError;
    const FileIdentity before = identity(m_settings->fileName());
    removeAbandonedLocks(m_settings->fileName());
    m_settings->sync();
    if (!readError)
        return m_settings->status() == QSettings::NoError;
    // The status keeps the first error (the failed read): tell a written
    // store by the new file that replaced the old one.
    const FileIdentity after = identity(m_settings->fileName());
    return after.exists && after != before;
}

RegNode CRegistryKey::ReadTree(const QString &section) const
{
    RegNode node;
    const auto s = NormalizeSection(section);
    if (!s)
        return node;
    node.name = *s;
    if (!s->isEmpty())
        m_settings->beginGroup(*s);
    for (const QString &name : ValueNames()) {
        if (RegExport::isValidName(name))
            node.values.push_back(toRegValue(name, m_settings->value(name)));
    }
    for (const QString &child : SectionNames()) {
        if (RegExport::isValidName(child))
            node.children.push_back(ReadTree(child));
    }
    if (!s->isEmpty())
        m_settings->endGroup();
    return node;
}

void CRegistryKey::writeNode(const RegNode &node)
{
    for (const RegValue &v : node.values)
        m_settings->setValue(v.name, toVariant(v));
    for (const RegNode &child : node.children) {
        m_settings->beginGroup(child.name);
        writeNode(child);
        m_settings->endGroup();
    }
}

bool CRegistryKey::WriteTree(const QString &section, const RegNode &node)
{
    const auto s = NormalizeSection(section);
    if (!s)
        return false;
    if (!s->isEmpty()) {
        m_settings->remove(*s);
        m_settings->beginGroup(*s);
    } else {
        m_settings->remove(QString());
    }
    writeNode(node);
    if (!s->isEmpty())
        m_settings->endGroup();
    m_dirty = true;
    return true;
}

bool CRegistryKey::ExportTree(const QString &section, const QString &filePath) const
{
    const auto path = fullPath(section);
    if (!path)
        return false;
    RegNode root = ReadTree(section);
    root.name = *path;
    const auto data = RegExport::serialize(root);
    if (!data)
        return false;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*data) != data->size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

CRegistryKey::ImportStatus CRegistryKey::ImportTree(
    const QString &section, const QString &filePath, RegExport::Status *parseStatus)
{
    const auto path = fullPath(section);
    if (!path)
        return ImportStatus::WrongSection;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return ImportStatus::Unreadable;
    if (file.size() > RegExport::MaxFileBytes) {
        if (parseStatus)
            *parseStatus = RegExport::Status::TooLarge;
        return ImportStatus::BadFile;
    }
    const QByteArray data = file.read(RegExport::MaxFileBytes + 1);
    const RegExport::ParseResult parsed = RegExport::parse(data);
    if (parseStatus)
        *parseStatus = parsed.status;
    if (parsed.status != RegExport::Status::Ok)
        return ImportStatus::BadFile;
    if (parsed.root.name != *path)
        return ImportStatus::WrongSection;
    WriteTree(section, parsed.root);
    return Flush() ? ImportStatus::Ok : ImportStatus::WriteFailed;
}
