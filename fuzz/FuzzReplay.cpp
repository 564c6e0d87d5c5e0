// Replays a fuzz target over its seed corpus and over deterministic mutations
// of every seed (truncations, bit flips, inserted and repeated bytes), so the
// test suite exercises each parser's error paths without a fuzzing engine.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <cstdint>
#include <cstdio>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void run(const QByteArray &input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), static_cast<size_t>(input.size()));
}

void mutate(const QByteArray &seed, std::mt19937 &rng)
{
    for (qsizetype n = 0; n <= seed.size(); n += (seed.size() > 64 ? seed.size() / 64 : 1))
        run(seed.left(n));
    const int rounds = 200;
    for (int i = 0; i < rounds && !seed.isEmpty(); ++i) {
        QByteArray m = seed;
        const int edits = 1 + int(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const auto pos = qsizetype(rng() % quint32(m.size() + 1));
            switch (rng() % 5) {
            case 0:
                if (pos < m.size())
                    m[pos] = char(m[pos] ^ (1 << (rng() % 8)));
                break;
            case 1:
                if (pos < m.size())
                    m[pos] = char(rng() % 256);
                break;
            case 2:
                m.insert(pos, char(rng() % 256));
                break;
            case 3:
                m.remove(pos, qsizetype(rng() % 8));
                break;
            default:
                m.insert(pos, m.mid(pos, qsizetype(rng() % 32)));
                break;
            }
        }
        run(m);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::mt19937 rng(20261206);
    int files = 0;
    run(QByteArray());
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const QByteArray seed = f.readAll();
            run(seed);
            mutate(seed, rng);
            ++files;
        }
    }
    for (int i = 0; i < 500; ++i) {
        QByteArray noise(qsizetype(rng() % 600), '\0');
        for (auto &c : noise)
            c = char(rng() % 256);
        run(noise);
    }
    std::printf("replayed %d seed files with mutations\n", files);
    return 0;
}
