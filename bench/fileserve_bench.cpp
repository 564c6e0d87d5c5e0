// Serving offered files over loopback TCP: one 1 GiB file (0x60) and a folder
// of 10,000 small files (0x62), each against a baseline that sends the same
// bytes with a minimal sendfile loop, round by round on one core. Prints the
// ratios (marks: kFileMark and kFolderMark of the baseline's rate).
#include "net/CFileOfferTable.h"
#include "net/Commands.h"
#include "net/FileServer.h"
#include "net/HostRecord.h"
#include "net/PacketCodec.h"

#include "BenchCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Bench;

namespace {

constexpr int kRounds = 5;
constexpr double kFileMark = 0.7;
constexpr double kFolderMark = 0.5;

class Listener : public QTcpServer
{
public:
    std::function<void(qintptr)> handler;

protected:
    void incomingConnection(qintptr d) override { handler(d); }
};

// Connects, sends the request and reads until the server closes; returns the
// bytes received. Runs on its own thread.
qint64 receiveAll(quint16 port, const QByteArray &request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        return -1;
    if (!request.isEmpty() && ::write(fd, request.constData(), size_t(request.size())) != request.size())
        return -1;
    static thread_local std::vector<char> buffer(1 << 20);
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

double timeServed(quint16 port, const QByteArray &request, qint64 expected)
{
    QElapsedTimer timer;
    timer.start();
    std::atomic<qint64> got{-2};
    std::thread client([&] { got = receiveAll(port, request); });
    while (got.load() == -2)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    client.join();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (got.load() < expected) {
        std::fprintf(stderr, "received %lld of %lld bytes\n", static_cast<long long>(got.load()),
            static_cast<long long>(expected));
        std::exit(1);
    }
    return seconds;
}

// The baseline server: accept, then a plain sendfile of each file, with a
// header of the same size before each file of a folder.
double timeBaseline(const QStringList &files, int headerBytes, qint64 expected)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(listener, 4);
    socklen_t len = sizeof a;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&a), &len);
    const quint16 port = ntohs(a.sin_port);
    std::thread server([&] {
        const int c = ::accept(listener, nullptr, nullptr);
        const std::vector<char> header(size_t(headerBytes), 'h');
        for (const QString &path : files) {
            if (headerBytes && ::write(c, header.data(), header.size()) < 0)
                break;
            const int f = ::open(QFile::encodeName(path).constData(), O_RDONLY);
            off_t offset = 0;
            const off_t size = ::lseek(f, 0, SEEK_END);
            while (offset < size && ::sendfile(c, f, &offset, size_t(size - offset)) > 0) {
            }
            ::close(f);
        }
        ::close(c);
    });
    const double seconds = timeServed(port, {}, expected);
    server.join();
    ::close(listener);
    return seconds;
}


} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    PinToOneCpu();
    QTemporaryDir dir;
    const Bench::TransferData data = Bench::MakeTransferData(QDir(dir.path()));
    const QString &big = data.big;
    const QString &folder = data.folder;
    const QStringList &smallFiles = data.smallFiles;

    CFileOfferTable table;
    HostPtr peer(new HostRecord);
    peer->key = HostKey(QStringLiteral("bench"), QStringLiteral("bench-pc"), 0x7F000001, 2425);
    FileServer server(&table);
    Listener listener;
    listener.handler = [&](qintptr d) { server.Serve(d); };
    listener.listen(QHostAddress(QHostAddress::LocalHost), 0);
    OwnHeader own;
    own.userName = QStringLiteral("bench");
    own.hostName = QStringLiteral("bench-pc");

    // An offer is gone once its recipient has everything: offer anew each round.
    struct Requests
    {
        QByteArray file, folder;
    };
    quint32 packet = 4242;
    auto offerAgain = [&]() {
        ++packet;
        FileOffer *offer = table.CreateOffer(packet);
        const quint32 bigId = *table.AddEntry(offer, big);
        const quint32 folderId = *table.AddEntry(offer, folder);
        table.SetRecipients(offer, {peer});
        const QByteArray pn = QByteArray::number(packet, 16);
        return Requests{
            PacketCodec::BuildPacket(own, 1, CMD_GET_FILE_DATA, QByteArray(pn + ':' + QByteArray::number(bigId, 16) + ":0:")),
            PacketCodec::BuildPacket(own, 2, CMD_GET_FOLDER, QByteArray(pn + ':' + QByteArray::number(folderId, 16) + ':'))};
    };

    const qint64 folderBytes = qint64(kSmallFiles) * kSmallSize;
    Requests requests;
    const Rounds file = Interleave(
        kRounds,
        [&] {
            requests = offerAgain();
            return timeServed(listener.serverPort(), requests.file, kBigFile);
        },
        [&] { return timeBaseline({big}, 0, kBigFile); }, RatioOf::Rates);
    // Our folder headers are about 40 bytes; the baseline sends as many.
    const Rounds folderRounds = Interleave(
        kRounds,
        [&] {
            requests = offerAgain();
            return timeServed(listener.serverPort(), requests.folder, folderBytes);
        },
        [&] { return timeBaseline(smallFiles, 40, folderBytes); }, RatioOf::Rates);

    const double gib = double(kBigFile) / double(1 << 30);
    const auto rates = [](const std::vector<double> &seconds, double amount) {
        std::vector<double> r;
        for (double s : seconds)
            r.push_back(amount / s);
        return r;
    };
    Report report;
    std::printf("1 GiB file over loopback, %d rounds\n", kRounds);
    report.Show("baseline sendfile loop, GiB/s", rates(file.baseline, gib), "");
    report.Show("file server (0x60), GiB/s", rates(file.measured, gib), "");
    report.Ratio("server/baseline", file.ratios, {Mark::AtLeast, kFileMark});
    std::printf("folder of %d files of %d bytes, %d rounds\n", kSmallFiles, kSmallSize, kRounds);
    report.Show("baseline sendfile loop, files/s", rates(folderRounds.baseline, kSmallFiles), "");
    report.Show("file server (0x62), files/s", rates(folderRounds.measured, kSmallFiles), "");
    report.Ratio("server/baseline", folderRounds.ratios, {Mark::AtLeast, kFolderMark});
    return report.exitCode();
}
