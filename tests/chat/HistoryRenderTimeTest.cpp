// A record made of picture markers (a peer may send one, the chat log keeps
// it) is drawn in time linear in its length: the markers past the count of
// one message show as text without laying the paragraph out again each time.
#include "TestEnv.h"
#include "chat/CMsgRichEdit.h"
#include "chat/HistoryText.h"
#include "core/MessageMarkers.h"
#include "net/PeerBounds.h"
#include "net/PictureStore.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QImage>
#include <gtest/gtest.h>
#include <cstdio>

namespace {

// Text of `bytes` characters of markers, some of them with text between.
QString markerRecord(qsizetype bytes, bool withFaces)
{
    QString text;
    quint32 id = 1;
    while (text.size() < bytes) {
        text += PictureMarker(id, (id & 1) != 0);
        if (withFaces && id % 3 == 0)
            text += QStringLiteral("/wx a ");
        ++id;
    }
    return text;
}

qint64 renderMs(const QString &text)
{
    CMsgRichEdit view;
    view.SetViewMode(CMsgRichEdit::HistoryView);
    view.resize(600, 400);
    int pictures = 0;
    QElapsedTimer clock;
    clock.start();
    RenderHistoryText(&view, ChatFont::standard(), text, [&](quint32, bool) {
        ++pictures;
        view.InsertPicture(QImage(8, 8, QImage::Format_RGB32), 0);
    });
    view.document()->documentLayout()->documentSize(); // laid out whole
    const qint64 ms = clock.elapsed();
    EXPECT_EQ(pictures, PeerBounds::kPicturesPerMessage);
    EXPECT_TRUE(view.toPlainText().contains(PictureMarker(PeerBounds::kPicturesPerMessage + 1, true)))
        << "markers past the count show as their text";
    return ms;
}

TEST(HistoryRenderTime, RecordsFullOfMarkersDrawInLinearTime)
{
    PictureStore::SetProgramFolder(TestEnv::freshDir(QStringLiteral("render-time")) + QStringLiteral("/kwel"));
    for (const bool faces : { false, true }) {
        for (const qsizetype bytes : { qsizetype(16) << 10, qsizetype(256) << 10 }) {
            const qint64 ms = renderMs(markerRecord(bytes, faces));
            std::printf("FIGURE history record of %lld KB of markers%s: %lld ms\n", static_cast<long long>(bytes >> 10),
                faces ? " and faces" : "", static_cast<long long>(ms));
            EXPECT_LT(ms, 8000) << "generous: the figure is the measure";
        }
    }
    PictureStore::SetProgramFolder(QString());
}

} // namespace
