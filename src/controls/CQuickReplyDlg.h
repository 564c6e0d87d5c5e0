// The editor of the four quick replies of the chat windows. The owner fills
// the slots from the configuration before opening it and takes them back
// after OK.
#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QComboBox;
class QLineEdit;

class CQuickReplyDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kSlotCount = 4;
    // A slot holds 128 bytes; texts of 127 bytes or more are not stored.
    static constexpr int kSlotBytes = 128;
    static constexpr int kMaxTextBytes = 126;

    explicit CQuickReplyDlg(QWidget *parent = nullptr);

    void setReplies(const std::array<QString, kSlotCount> &replies) { m_replies = replies; }
    const std::array<QString, kSlotCount> &replies() const { return m_replies; }
    int selectedSlot() const { return m_selected; }

    // Stores the text into the slot when it fits; false when it does not (or
    // for a bad slot).
    bool StoreIntoSlot(int slot, const QString &text);

    QComboBox *slotBox() const { return m_combo; }
    QLineEdit *editor() const { return m_edit; }

public slots:
    void accept() override;

private:
    void onSelectionChanged(int index);

    std::array<QString, kSlotCount> m_replies;
    int m_selected = -1;
    QComboBox *m_combo = nullptr;
    QLineEdit *m_edit = nullptr;
};
