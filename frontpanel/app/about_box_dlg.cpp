#include "app/about_box_dlg.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>

#include "app/maker_info.h"
#include "controls/skin_static.h"
#include "resources/artwork.h"

namespace zc::fp {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

CAboutBoxDlg::CAboutBoxDlg(CTextLookup& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      texts_(texts),
      units_(DialogFont()) {
  setFont(DialogFont());
  setWindowTitle(QStringLiteral("About Counter Tool"));
  setFixedSize(units_.X(198), units_.Y(133));
  setMouseTracking(true);
  openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

  auto place = [this](QWidget* w, int x, int y, int width, int height) {
    w->setParent(this);
    w->setGeometry(units_.Rect(x, y, width, height));
    w->setMouseTracking(true);
    return w;
  };
  tabs_ = static_cast<QTabBar*>(place(new QTabBar, 7, 7, 184, 14));
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(units_.X(20), units_.Y(20)));
  about_[0] = place(icon, 16, 30, 20, 20);
  title_ = new CSkinStatic(1106);
  title_->setText(QString::fromUtf8(kProgramTitle));
  about_[1] = place(title_, 39, 33, 126, 11);
  auto* version = new QLabel(QString::fromUtf8(kProgramVersion));
  about_[2] = place(version, 82, 51, 61, 11);
  auto* notice = new QLabel(QString::fromUtf8(kRightsNotice));
  notice->setWordWrap(true);
  about_[3] = place(notice, 57, 68, 119, 13);
  web_ = new QLabel(QString::fromUtf8(kMakerWebText));
  web_->setWordWrap(false);
  web_->setStyleSheet(QStringLiteral("color: #0000c0; text-decoration: underline;"));
  about_[4] = place(web_, 81, 85, 55, 13);
  // The address opens on a click in the box itself, so the label passes mouse events on.
  web_->setAttribute(Qt::WA_TransparentForMouseEvents);
  languages_ = new QComboBox;
  languages_->addItems({QStringLiteral("English(U.S)"), QStringLiteral("Chinese(T.C)"),
                        QStringLiteral("Chinese(S.C)")});
  place(languages_, 21, 44, 69, 14);
  languages_->hide();
  ok_ = new QPushButton;
  place(ok_, 158, 116, 33, 12);
  ok_->setDefault(true);

  title_->SetFontStyle(QStringLiteral("Times New Roman"), 22, {0, 0, 0},
                       CLabelStyle::kBold | CLabelStyle::kCentre);
  ok_->setText(Q(texts_.LookupText("003", "OK")));
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { OnTab(index); });
  connect(ok_, &QPushButton::clicked, this, [this] { OnOk(); });
}

void CAboutBoxDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!tabsMade_) {
    tabsMade_ = true;
    tabs_->addTab(Q(texts_.LookupText("551", "About")));
    tabs_->addTab(Q(texts_.LookupText("552", "Language")));
    OnTab(0);
  }
  const std::string& language = texts_.languageName;
  languages_->setCurrentIndex(language == kChineseTraditional  ? 1
                              : language == kChineseSimplified ? 2
                                                               : 0);
}

void CAboutBoxDlg::OnTab(int index) {
  for (QWidget* w : about_) w->setVisible(index == 0);
  languages_->setVisible(index == 1);
}

void CAboutBoxDlg::OnOk() {
  switch (languages_->currentIndex()) {
    case 1: texts_.languageName = kChineseTraditional; break;
    case 2: texts_.languageName = kChineseSimplified; break;
    default: texts_.languageName = kEnglish; break;
  }
  accept();
}

bool CAboutBoxDlg::InsideWebAddress(const QPoint& p) const {
  // Strictly inside: a point on the border does not count.
  const QRect r = web_->geometry();
  return web_->isVisible() && p.x() > r.left() && p.x() < r.right() && p.y() > r.top() &&
         p.y() < r.bottom();
}

void CAboutBoxDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && InsideWebAddress(event->position().toPoint())) {
    openUrl(QUrl(QString::fromUtf8(kMakerWebAddress)));
  }
  QDialog::mousePressEvent(event);
}

void CAboutBoxDlg::mouseMoveEvent(QMouseEvent* event) {
  if (InsideWebAddress(event->position().toPoint())) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();  // back to the cursor the box opened with
  }
  QDialog::mouseMoveEvent(event);
}

}  // namespace zc::fp
