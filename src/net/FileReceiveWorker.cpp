#include "net/FileReceiveWorker.h"

#include "core/PathUtil.h"

#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The largest receive buffer; the configuration allows no more.
constexpr qsizetype kMaxBuffer = qsizetype(16) << 20;

QString unsafeNameCaption()
{
    return QStringLiteral("不安全的文件名");
}

} // namespace

FileReceiveWorker::FileReceiveWorker(ReceiveRequest request, QObject *parent)
    : QThread(parent)
    , m_request(std::move(request))
{
    qRegisterMetaType<ReceiveProgress>();
    qRegisterMetaType<ReceiveResult>();
    qRegisterMetaType<ReceiveNotice>();
}

FileReceiveWorker::~FileReceiveWorker()
{
    cancel();
    wait();
}

void FileReceiveWorker::cancel()
{
    m_stop.store(true);
    m_connection.shutdown();
}

void FileReceiveWorker::run()
{
    m_state = m_request.isFolder() ? ReceiveState::FirstHeader : ReceiveState::FileData;
    m_item = Item { m_request.name, m_request.entry.size, m_request.entry.attributes, m_request.entry.mtime };
    if (!openSaveFolder()) {
        fail(ReceiveError::OpenTarget);
    } else if (!ConnectForReceive()) {
        fail(ReceiveError::Connect);
    } else if (!StartReceive()) {
        fail(ReceiveError::Send);
    } else if (!m_request.isFolder() && m_item.size == 0) {
        // Nothing follows: the file is made at once.
        if (OpenReceiveFile() && CloseReceivedFile(true))
            m_state = ReceiveState::Complete;
    } else {
        ReceiveThreadProc();
    }

    if (m_state == ReceiveState::Complete) {
        CloseReceivedFile(true); // a single file; nothing is open after a folder
    } else {
        CloseReceivedFile(false);
        // What arrived of a folder stays, under the folder's name.
        publishFolder();
        m_state = ReceiveState::Failed;
        if (m_stop.load())
            m_result.error = ReceiveError::Cancelled;
        else if (m_result.error == ReceiveError::None)
            m_result.error = ReceiveError::PeerClosed;
    }
    m_result.state = m_state;
    m_result.elapsedMs = m_clock.isValid() ? m_clock.elapsed() : 0;
    m_connection.close();
    m_levels.clear();
    m_buffer.reset();
    report(true);
    emit receiveFinished(m_result);
}

bool FileReceiveWorker::openSaveFolder()
{
    // The save folder is the user's choice: a link to it is followed. Nothing
    // below it is.
    UniqueFd fd(::open(QFile::encodeName(m_request.saveFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isValid()) {
        message(QStringLiteral("创建文件失败"), m_request.saveFolder);
        return false;
    }
    m_levels.push_back({ std::move(fd), m_request.saveFolder });
    return true;
}

bool FileReceiveWorker::ConnectForReceive()
{
    return m_connection.connectTo(m_request.address, m_request.port, m_request.limits.socketBufferBytes,
        m_request.limits.connectTimeoutMs);
}

bool FileReceiveWorker::StartReceive()
{
    if (!m_connection.sendAll(m_request.packet, m_request.limits.connectTimeoutMs))
        return false;
    m_result.connected = true;
    m_clock.start();
    // Room for a whole folder header whatever the configured size.
    m_bufferSize = qBound<qsizetype>(kMaxFolderHeader + 1, m_request.limits.bufferBytes, kMaxBuffer);
    m_buffer = std::make_unique<char[]>(size_t(m_bufferSize));
    emit requestSent();
    return true;
}

void FileReceiveWorker::ReceiveThreadProc()
{
    const bool folder = m_request.isFolder();
    m_lastData = m_clock.elapsed();
    while (m_state != ReceiveState::Complete) {
        if (m_stop.load(std::memory_order_relaxed))
            return;
        const Step step = folder ? ReceiveFolderData() : ReceiveFileData();
        if (step == Step::Stop)
            return;
        const qint64 now = m_clock.elapsed();
        if (step == Step::More) {
            m_lastData = now;
        } else if (now - m_lastData >= m_request.limits.idleTimeoutMs) {
            fail(ReceiveError::Stalled);
            return;
        }
        report(false);
    }
}

FileReceiveWorker::Step FileReceiveWorker::ReceiveFileData()
{
    const quint64 need = m_item.size - m_item.written;
    qsizetype buffered = m_end - m_begin;
    if (quint64(buffered) < need && m_end < m_bufferSize) {
        const Step step = receiveMore();
        if (step != Step::More)
            return step;
        buffered = m_end - m_begin;
    }
    const qsizetype take = qsizetype(qMin<quint64>(quint64(buffered), need));
    m_item.received = m_item.written + quint64(take);
    if (!m_file.isOpen() && !OpenReceiveFile())
        return Step::Stop;
    // Written when the item is complete or the buffer is full.
    if (quint64(take) < need && m_end < m_bufferSize)
        return Step::More;
    if (!m_file.write(m_buffer.get() + m_begin, take)) {
        message(QStringLiteral("文件不能写"), QString());
        return stop(ReceiveError::WriteFile);
    }
    m_item.written += quint64(take);
    consume(take);
    if (m_item.written == m_item.size)
        m_state = m_request.isFolder() ? ReceiveState::ItemDone : ReceiveState::Complete;
    return Step::More;
}

FileReceiveWorker::Step FileReceiveWorker::ReceiveFolderData()
{
    if (m_state == ReceiveState::FileData) {
        const Step step = ReceiveFileData();
        if (step == Step::Stop)
            return step;
        if (m_state == ReceiveState::ItemDone) {
            if (!CloseReceivedFile(true))
                return Step::Stop;
            m_state = ReceiveState::NextHeader;
        }
        return step;
    }

    const qsizetype buffered = m_end - m_begin;
    if (buffered < kFolderHeaderPrefix)
        return fill();
    const auto length = ParseFolderHeaderLength(QByteArrayView(m_buffer.get() + m_begin, kFolderHeaderPrefix));
    if (!length)
        return stop(ReceiveError::BadHeader);
    if (buffered < *length)
        return fill();
    FolderEntryHeader header;
    const FolderHeaderStatus status = ParseFolderHeader(QByteArrayView(m_buffer.get() + m_begin, *length), header);
    consume(*length);
    if (status == FolderHeaderStatus::BadName) {
        message(JoinPath(m_levels.back().path, header.name), unsafeNameCaption());
        return stop(ReceiveError::UnsafeName);
    }
    if (status != FolderHeaderStatus::Ok)
        return stop(ReceiveError::BadHeader);

    switch (header.kind()) {
    case FILE_ATTR_FOLDER:
        // The top folder takes the name the user chose.
        return enterFolder(depth() == 0 ? m_request.name : header.name) ? Step::More : Step::Stop;
    case FILE_ATTR_PARENT:
        return leaveFolder(header) ? Step::More : Step::Stop;
    default: // every other kind is a file with its data
        if (depth() == 0)
            return stop(ReceiveError::FileAtTop);
        m_item = Item { header.name, header.size, header.attributes, header.mtime };
        if (header.size > 0) {
            m_state = ReceiveState::FileData;
            return Step::More;
        }
        if (!OpenReceiveFile() || !CloseReceivedFile(true))
            return Step::Stop;
        m_state = ReceiveState::NextHeader;
        return Step::More;
    }
}

FileReceiveWorker::Step FileReceiveWorker::fill()
{
    // A header must fit behind m_begin.
    const qsizetype buffered = m_end - m_begin;
    if (m_bufferSize - m_begin <= kMaxFolderHeader) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_begin, size_t(buffered));
        m_begin = 0;
        m_end = buffered;
    }
    return receiveMore();
}

FileReceiveWorker::Step FileReceiveWorker::receiveMore()
{
    const qint64 n = m_connection.receive(m_buffer.get() + m_end, m_bufferSize - m_end);
    if (n < 0)
        return stop(ReceiveError::PeerClosed);
    if (n == 0)
        return Step::Idle;
    m_end += n;
    return Step::More;
}

void FileReceiveWorker::consume(qsizetype bytes)
{
    m_begin += bytes;
    if (m_begin == m_end)
        m_begin = m_end = 0;
}

bool FileReceiveWorker::enterFolder(const QString &name)
{
    const int parent = m_levels.back().fd.get();
    const QString path = JoinPath(m_levels.back().path, name);
    if (!checkPath(path, name))
        return false;
    // A folder that exists already (or a link in its place) is refused. The
    // top folder is filled under a partial name and gets its own when the
    // receive ends; the folders inside it are made as they come.
    UniqueFd fd;
    if (depth() == 0) {
        fd = m_folder.create(parent, name);
    } else {
        const QByteArray fsName = QFile::encodeName(name);
        if (::mkdirat(parent, fsName.constData(), 0777) == 0)
            fd.reset(::openat(parent, fsName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    if (!fd.isValid())
        return fail(ReceiveError::CreateFolder);
    m_levels.push_back({ std::move(fd), path });
    m_state = ReceiveState::NextHeader;
    return true;
}

void FileReceiveWorker::publishFolder()
{
    if (!m_folder.isOpen() || m_folder.commit())
        return;
    // Something took the folder's name meanwhile; nothing of it is replaced.
    renameNotice(JoinPath(m_levels.front().path, m_request.name), m_folder.partialName(), m_request.name);
}

void FileReceiveWorker::renameNotice(const QString &finalPath, const QString &heldAs, const QString &name)
{
    history(QStringLiteral("文件 %1 保存失败，如果文件正在使用，请关闭此文件，然后把该目录下的文件 %2 重命名为 %3 ")
                .arg(finalPath, heldAs, name));
}

bool FileReceiveWorker::leaveFolder(const FolderEntryHeader &header)
{
    // A return with no folder open would climb out of the save folder.
    if (depth() == 0)
        return fail(ReceiveError::ReturnAtTop);
    if (depth() == 1)
        publishFolder(); // complete: the top folder takes its name
    // The write permission of a folder stays: on Windows the read-only bit of
    // a folder means nothing for its contents, here it would lock them.
    if (header.mtime) {
        const timespec times[2] = { { time_t(header.mtime), 0 }, { time_t(header.mtime), 0 } };
        ::futimens(m_levels.back().fd.get(), times);
    }
    m_levels.pop_back();
    if (depth() == 0)
        m_state = ReceiveState::Complete;
    return true;
}

bool FileReceiveWorker::checkPath(const QString &path, const QString &name)
{
    if (IsReceivePathTooLong(path)) {
        message(path, QStringLiteral("文件名太名"));
        return fail(ReceiveError::NameTooLong);
    }
    if (!FileNameEquals(path, name)) {
        message(path, unsafeNameCaption());
        return fail(ReceiveError::UnsafeName);
    }
    return true;
}

bool FileReceiveWorker::OpenReceiveFile()
{
    const Level &level = m_levels.back();
    const QString path = JoinPath(level.path, m_item.name);
    if (!checkPath(path, m_item.name))
        return false;
    // Inside the partial folder a file is made under its final name: the
    // folder's rename publishes it.
    const auto naming = depth() > 0 && m_folder.isOpen() ? PartialFile::Naming::Final : PartialFile::Naming::Partial;
    if (!m_file.create(level.fd.get(), m_item.name, naming)) {
        if (depth() == 0)
            message(QStringLiteral("创建文件失败"), path);
        return fail(ReceiveError::CreateFile);
    }
    return true;
}

bool FileReceiveWorker::CloseReceivedFile(bool success)
{
    if (!m_file.isOpen())
        return true;
    if (!success) {
        // Receive-all keeps what arrived; otherwise the partial file goes.
        m_file.abandon(m_request.keepPartial);
        m_item.received = m_item.written = 0;
        return true;
    }
    if (m_item.mtime & ~quint32(0xFF))
        m_file.setTimes(m_item.mtime);
    if (m_item.attributes & kReadOnlyAttribute)
        m_file.setReadOnly();
    m_result.bytes += m_item.received;
    ++m_result.files;
    m_item.received = m_item.written = 0;

    const QString finalPath = JoinPath(m_levels.back().path, m_item.name);
    switch (m_file.commit()) {
    case PartialFile::Commit::Renamed:
        break;
    case PartialFile::Commit::RenamedAside:
        renameNotice(finalPath, QString::fromLatin1(kAsidePrefix) + m_item.name, m_item.name);
        break;
    case PartialFile::Commit::Kept:
        renameNotice(finalPath, m_file.partialName(), m_item.name);
        break;
    }
    return true;
}

bool FileReceiveWorker::fail(ReceiveError error)
{
    if (m_result.error == ReceiveError::None)
        m_result.error = error;
    m_state = ReceiveState::Failed;
    return false;
}

FileReceiveWorker::Step FileReceiveWorker::stop(ReceiveError error)
{
    fail(error);
    return Step::Stop;
}

void FileReceiveWorker::message(const QString &text, const QString &caption)
{
    emit notice({ ReceiveNotice::Kind::MessageBox, text, caption });
}

void FileReceiveWorker::history(const QString &text)
{
    emit notice({ ReceiveNotice::Kind::History, text, QString() });
}

void FileReceiveWorker::report(bool force)
{
    const qint64 now = m_clock.isValid() ? m_clock.elapsed() : 0;
    if (!force && now - m_lastReport < m_request.limits.progressIntervalMs)
        return;
    m_lastReport = now;
    const bool folder = m_request.isFolder();
    const quint64 current = m_state == ReceiveState::FileData ? m_item.received : 0;
    const quint64 done = folder ? m_result.bytes + current : (m_result.files ? m_result.bytes : current);
    emit progress(MakeReceiveProgress(
        folder, m_request.entry.size, done, now, m_result.files, m_state == ReceiveState::Complete));
}
