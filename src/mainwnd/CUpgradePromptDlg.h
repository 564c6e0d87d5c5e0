// The prompt for a missing picture library (dialog 381, "蓝雀Kwel提示"): a
// download from the web or, where allowed, from a peer on the LAN, and a
// switch not to prompt again. This platform always has the library, so the
// panel never shows it; it is kept for the stored switch GdiPlusTip.
#pragma once

#include <QDialog>
#include <QList>
#include <functional>

class CConfig;
class QCheckBox;
class QPushButton;

class CUpgradePromptDlg : public QDialog
{
    Q_OBJECT
public:
    // Asks one peer for the library (the LAN download).
    using PeerRequest = std::function<void(quint32 address)>;

    explicit CUpgradePromptDlg(CConfig *config, QWidget *parent = nullptr);

    // The download address, the peers that may have the library, and how to
    // ask one of them (none: the LAN download is not allowed).
    void SetSources(const QString &downloadUrl, const QList<quint32> &peers, PeerRequest request);
    bool lanDownloadEnabled() const;

    // 1003 "局域网下载": asks the next peer of the list, round robin over
    // the whole program's requests.
    void OnLanDownload();
    // 1001 "网上下载".
    void OnWebDownload();
    // The program-wide position of the next LAN request.
    static int &nextPeerIndex();

protected:
    void done(int result) override;

private:
    CConfig *m_config;
    QString m_url;
    QList<quint32> m_peers;
    PeerRequest m_request;
    QPushButton *m_lan = nullptr;
    QCheckBox *m_noMore = nullptr;
};
