#pragma once
// The about box "Info" ("technische Unterstützung"): the maker and two contact links
// that light up while the mouse is well inside them.
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace lobrix::shell {

class TInfo : public QDialog {
    Q_OBJECT
public:
    explicit TInfo(QWidget *parent = nullptr);

    static constexpr const char *kEmail = "support@talvo.example";
    static constexpr const char *kWeb = "https://www.talvo.example";

    void lbEmailClick();
    void lbInternetClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Highlights the link under `pos` (panel coordinates), or none.
    void hover(const QPoint &pos);
    static void setLinkStyle(QLabel *link, bool hot);

    QFrame *pnInfo;
    QLabel *lbEmail;
    QLabel *lbInternet;
    QPushButton *btnSchliessen;
};

} // namespace lobrix::shell
