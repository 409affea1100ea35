#include "ui/QuickOpenPanel/OverflowPanelView.h"

#include "Parlowen/Settings/L10n.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/QuickOpenPanel/PanelIconButton.h"
#include "ui/QuickOpenPanel/PanelKeyboardTableView.h"
#include "ui/QuickOpenPanel/PanelScopeControl.h"
#include "ui/QuickOpenPanel/PanelSearchField.h"
#include "ui/QuickOpenPanel/PanelSymbols.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

using namespace Parlowen::TessalineDesign;

constexpr int emptyIconBox = 42;
constexpr int emptyIconSymbol = 38;
constexpr int iconButtonWidth = 36;
constexpr int iconButtonHeight = 32;
constexpr int iconButtonSymbol = 14;
constexpr int searchFieldHeight = 30;
constexpr int footerHeight = 52;
constexpr int emptyBodyWidth = 290;

QString text(std::string_view key, std::string_view english) {
    return QString::fromStdString(Parlowen::L10n::string(key, english));
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette colours = widget.palette();
    colours.setColor(QPalette::WindowText, colour);
    widget.setPalette(colours);
}

// tertiaryLabelColor: black at 26 %.
QColor tertiaryLabelColour() {
    return QColor(0, 0, 0, 66);
}

QHBoxLayout* bareRow(int spacing) {
    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

OverflowPanelView::OverflowPanelView(QWidget* parent)
    : QWidget(parent), headerContainer(new QWidget), panelTitleLabel(new Parlowen::ElidingLabel),
      panelSubtitleLabel(new Parlowen::ElidingLabel), refreshButton(new PanelIconButton),
      settingsButton(new PanelIconButton), searchField(new PanelSearchField),
      scopeControl(new PanelScopeControl),
      headerSeparator(preferenceSeparator(QStringLiteral("panel.header-separator"), panelWidth)),
      contentContainer(new QWidget), scrollView(new QScrollArea),
      tableView(new PanelKeyboardTableView), visualRowsContainer(new QWidget),
      visualRowsLayout(new QVBoxLayout(visualRowsContainer)), emptyContainer(new QWidget),
      emptyIcon(new QLabel), emptyLabel(new QLabel), emptyBodyLabel(new QLabel),
      emptyActionButton(new QPushButton),
      footerSeparator(preferenceSeparator(QStringLiteral("panel.footer-separator"), panelWidth)),
      footerRow(new QWidget), footerStatusLabel(new Parlowen::ElidingLabel),
      quickAccessHintLabel(new Parlowen::ElidingLabel), hotKeyConflictActions(new QWidget),
      replaceHotKeyButton(new Parlowen::TessalineSecondaryButton),
      chooseAnotherHotKeyButton(new Parlowen::TessalineSecondaryButton) {
    setObjectName(QStringLiteral("panel"));
    setFixedSize(panelWidth, panelHeight);
    setAttribute(Qt::WA_StyledBackground, false);
    configureSearchField();
    configureHeader();
    configureTable();
    configureEmptyState();
    configureFooter();
    arrange();
}

int OverflowPanelView::tableWidth() const {
    return width() > 0 ? width() - tableInset : tableWidthWithoutView;
}

void OverflowPanelView::configureSearchField() {
    searchField->setObjectName(QStringLiteral("panel.search"));
    searchField->setPlaceholderText(
        text("quick_open.search.placeholder", "Search menu bar apps..."));
    searchField->setFont(Parlowen::TessalineFonts::font(13));
    searchField->setFixedHeight(searchFieldHeight);
    searchField->addAction(
        QIcon(PanelSymbols::image(QStringLiteral("magnifyingglass"), 14,
                                  SystemColors::secondaryLabel(), devicePixelRatioF())),
        QLineEdit::LeadingPosition);
    searchField->setStyleSheet(
        QStringLiteral("QLineEdit { background: white; border: 1px solid %1; border-radius: 7px;"
                       " padding: 0 6px; color: %2; }")
            .arg(Palette::line().name(), Palette::ink().name()));
}

void OverflowPanelView::configureIconButton(PanelIconButton& button, const QString& symbolName,
                                            const QString& label, const QString& identifier) {
    button.setObjectName(identifier);
    button.setSymbol(PanelSymbols::image(symbolName, iconButtonSymbol,
                                         SystemColors::secondaryLabel(), devicePixelRatioF()));
    button.setAccessibleName(label);
    button.setAccessibleDescription(label);
    button.setToolTip(label);
    button.setBackground(Qt::white);
    button.setBorder(Palette::line());
    button.setCornerRadius(7);
    button.setFixedSize(iconButtonWidth, iconButtonHeight);
    // A click leaves the keyboard focus where it was, as a Mac button does; Tab still reaches it.
    button.setFocusPolicy(Qt::TabFocus);
}

void OverflowPanelView::configureHeader() {
    headerContainer->setObjectName(QStringLiteral("panel.header"));
    panelTitleLabel->setObjectName(QStringLiteral("panel.title"));
    panelTitleLabel->setFont(Parlowen::TessalineFonts::font(14, QFont::DemiBold));
    setTextColour(*panelTitleLabel, Palette::ink());
    panelSubtitleLabel->setObjectName(QStringLiteral("panel.subtitle"));
    panelSubtitleLabel->setFont(Parlowen::TessalineFonts::font(11));
    // A subtitle longer than the header's width (the shortcut setup's) takes a second line.
    panelSubtitleLabel->setMaximumLineCount(2);
    setTextColour(*panelSubtitleLabel, Palette::muted());

    configureIconButton(*refreshButton, QStringLiteral("arrow.clockwise"),
                        text("panel.refresh", "Refresh"), QStringLiteral("panel.refresh"));
    configureIconButton(*settingsButton, QStringLiteral("gearshape"),
                        text("panel.preferences", "Preferences\u2026"),
                        QStringLiteral("panel.preferences"));

    scopeControl->setObjectName(QStringLiteral("panel.scope-control"));
    scopeControl->hiddenTitle = text("panel.scope.hidden", "Hidden");
    scopeControl->allRightSideTitle = text("panel.scope.all_right_side", "Menu bar apps");

    auto* titles = new QVBoxLayout;
    titles->setContentsMargins(0, 0, 0, 0);
    titles->setSpacing(2);
    titles->addWidget(panelTitleLabel);
    titles->addWidget(panelSubtitleLabel);

    auto* buttons = bareRow(2);
    buttons->addWidget(refreshButton, 0, Qt::AlignVCenter);
    buttons->addWidget(settingsButton, 0, Qt::AlignVCenter);

    auto* topRow = bareRow(8);
    topRow->addLayout(titles, 1);
    topRow->addLayout(buttons);

    auto* header = new QVBoxLayout(headerContainer);
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(12);
    header->addLayout(topRow);
    header->addWidget(searchField);
    header->addWidget(scopeControl);
}

void OverflowPanelView::configureTable() {
    scrollView->setObjectName(QStringLiteral("panel.scroll"));
    scrollView->setWidget(tableView);
    scrollView->setWidgetResizable(false);
    scrollView->setFrameShape(QFrame::NoFrame);
    scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollView->viewport()->setAutoFillBackground(false);
    scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    tableView->setAutoFillBackground(false);

    visualRowsContainer->setObjectName(QStringLiteral("panel.visual-row-stack"));
    visualRowsLayout->setContentsMargins(0, 0, 0, 0);
    visualRowsLayout->setSpacing(PanelKeyboardTableView::rowSpacing);
    visualRowsLayout->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    visualRowsContainer->hide();
}

void OverflowPanelView::configureEmptyState() {
    emptyContainer->setObjectName(QStringLiteral("panel.empty"));
    emptyIcon->setObjectName(QStringLiteral("panel.empty.icon"));
    emptyIcon->setFixedSize(emptyIconBox, emptyIconBox);
    emptyIcon->setAlignment(Qt::AlignCenter);
    emptyIcon->setPixmap(PanelSymbols::image(QStringLiteral("checkmark.circle"), emptyIconSymbol,
                                             Palette::green(), devicePixelRatioF()));

    emptyLabel->setObjectName(QStringLiteral("panel.empty.title"));
    emptyLabel->setAlignment(Qt::AlignHCenter);
    emptyLabel->setFont(Parlowen::TessalineFonts::font(14, QFont::DemiBold));
    setTextColour(*emptyLabel, SystemColors::label());
    emptyLabel->setText(text("panel.empty.title", "No hidden icons right now."));

    emptyBodyLabel->setObjectName(QStringLiteral("panel.empty.body"));
    emptyBodyLabel->setAlignment(Qt::AlignHCenter);
    emptyBodyLabel->setFont(Parlowen::TessalineFonts::font(12));
    emptyBodyLabel->setFixedWidth(emptyBodyWidth);
    limitLines(emptyBodyLabel, 4);
    setTextColour(*emptyBodyLabel, tertiaryLabelColour());
    emptyBodyLabel->setText(text("panel.empty", "Nothing hidden behind the notch right now."));

    emptyActionButton->setObjectName(QStringLiteral("panel.empty.action"));
    emptyActionButton->setFont(Parlowen::TessalineFonts::font(13));
    emptyActionButton->hide();

    auto* layout = new QVBoxLayout(emptyContainer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(emptyIcon, 0, Qt::AlignHCenter);
    layout->addWidget(emptyLabel, 0, Qt::AlignHCenter);
    layout->addWidget(emptyBodyLabel, 0, Qt::AlignHCenter);
    layout->addWidget(emptyActionButton, 0, Qt::AlignHCenter);
    emptyContainer->hide();
}

void OverflowPanelView::configureFooter() {
    footerRow->setObjectName(QStringLiteral("panel.footer"));
    footerStatusLabel->setObjectName(QStringLiteral("panel.footer.status"));
    quickAccessHintLabel->setObjectName(QStringLiteral("panel.footer.quick-access"));
    for (Parlowen::ElidingLabel* label : {footerStatusLabel, quickAccessHintLabel}) {
        label->setFont(Parlowen::TessalineFonts::font(11));
        setTextColour(*label, Palette::muted());
        label->setFixedHeight(footerHeight);
    }
    footerStatusLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The footer's height holds three lines: a long message wraps before it is cut.
    footerStatusLabel->setMaximumLineCount(3);
    quickAccessHintLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The hint asks for its whole text; the status line takes the rest and is cut first.
    quickAccessHintLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    footerStatusLabel->hide();

    hotKeyConflictActions->setObjectName(QStringLiteral("panel.hotkey.conflict"));
    replaceHotKeyButton->setObjectName(QStringLiteral("panel.hotkey.replace"));
    replaceHotKeyButton->setText(text("quick_open.hotkey.replace", "Replace"));
    chooseAnotherHotKeyButton->setObjectName(QStringLiteral("panel.hotkey.choose-another"));
    chooseAnotherHotKeyButton->setText(text("quick_open.hotkey.choose_another", "Choose another"));
    for (QPushButton* button : {replaceHotKeyButton, chooseAnotherHotKeyButton}) {
        styleSecondaryButton(button);
        // The footer's small buttons: the secondary look at the footer's text size, so the
        // titles fit their fixed widths.
        button->setFont(Parlowen::TessalineFonts::font(11, QFont::DemiBold));
    }
    replaceHotKeyButton->setFixedSize(74, 28);
    chooseAnotherHotKeyButton->setFixedSize(124, 28);
    auto* actions = bareRow(6);
    hotKeyConflictActions->setLayout(actions);
    actions->addWidget(replaceHotKeyButton, 0, Qt::AlignVCenter);
    actions->addWidget(chooseAnotherHotKeyButton, 0, Qt::AlignVCenter);
    hotKeyConflictActions->hide();

    auto* row = bareRow(6);
    footerRow->setLayout(row);
    row->addWidget(footerStatusLabel, 1);
    row->addWidget(hotKeyConflictActions, 0, Qt::AlignVCenter);
    row->addWidget(quickAccessHintLabel);
    footerRow->setFixedHeight(footerHeight);
}

void OverflowPanelView::arrange() {
    contentContainer->setObjectName(QStringLiteral("panel.content"));
    auto* content = new QGridLayout(contentContainer);
    content->setContentsMargins(0, 0, 0, 0);
    content->addWidget(scrollView, 0, 0);
    // Pinned to the top and clipped at the bottom, never squeezed: placed by hand.
    visualRowsContainer->setParent(contentContainer);
    content->addWidget(emptyContainer, 0, 0, Qt::AlignCenter);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    const auto inset = [&](QWidget* widget, int side, int top) {
        auto* row = new QHBoxLayout;
        row->setContentsMargins(side, top, side, 0);
        row->addWidget(widget);
        root->addLayout(row);
    };
    inset(headerContainer, 16, 16);
    root->addSpacing(12);
    root->addWidget(headerSeparator);
    inset(contentContainer, 14, 0);
    root->setStretch(root->count() - 1, 1);
    root->addWidget(footerSeparator);
    inset(footerRow, 16, 0);
}

void OverflowPanelView::renderHeader(const QString& title, const QString& subtitle,
                                     bool scopeControlVisible,
                                     Parlowen::OverflowPanelScope selectedScope) {
    panelTitleLabel->setText(title);
    panelSubtitleLabel->setText(subtitle);
    scopeControl->selectedScope = selectedScope;
    scopeControl->update();
    scopeControl->setVisible(scopeControlVisible);
}

void OverflowPanelView::renderEmptyState(const Parlowen::OverflowPanelEmptyState& empty) {
    emptyIcon->setPixmap(PanelSymbols::image(QString::fromStdString(empty.symbolName),
                                             emptyIconSymbol, Palette::green(),
                                             devicePixelRatioF()));
    emptyLabel->setText(QString::fromStdString(empty.title));
    emptyBodyLabel->setText(QString::fromStdString(empty.body));
    emptyActionButton->setText(QString::fromStdString(empty.actionTitle.value_or("")));
    emptyActionButton->setVisible(empty.actionTitle.has_value());
}

void OverflowPanelView::showContent(bool tableVisible, bool previewRowsVisible, bool emptyVisible) {
    scrollView->setVisible(tableVisible);
    visualRowsContainer->setVisible(previewRowsVisible);
    emptyContainer->setVisible(emptyVisible);
}

void OverflowPanelView::placeVisualRows() {
    visualRowsContainer->setGeometry(0, 0, tableWidth(), visualRowsLayout->sizeHint().height());
}

void OverflowPanelView::renderFooter(const QString& quickAccessHint, const QString& status,
                                     bool showsConflictActions) {
    quickAccessHintLabel->setText(quickAccessHint);
    quickAccessHintLabel->setVisible(!showsConflictActions);
    hotKeyConflictActions->setVisible(showsConflictActions);
    footerStatusLabel->setText(status);
    footerStatusLabel->setVisible(!status.isEmpty());
}

void OverflowPanelView::renderHeaderButtonFocus(const QWidget* focused) {
    for (PanelIconButton* button : {refreshButton, settingsButton}) {
        button->setBackground(button == focused ? Palette::focusSoft() : QColor(Qt::white));
        button->update();
    }
}

void OverflowPanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 12, 12);
    painter.fillPath(shape, Qt::white);
    painter.setPen(QPen(Palette::line(), 0.5));
    painter.drawPath(shape);
}
