#include "ui/Onboarding/OnboardingPageViews.h"

#include "Parlowen/QuickOpen/QuickAccessHintFormatter.h"
#include "ui/Design/LocalizedText.h"
#include "ui/Design/PopUpMenuDelegate.h"
#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineSecondaryButton.h"
#include "ui/Onboarding/AccessibilityPermissionPreviewView.h"
#include "ui/Onboarding/OnboardingCard.h"
#include "ui/Onboarding/OnboardingPainting.h"
#include "ui/Onboarding/QuickOpenIntroDemoView.h"
#include "ui/Onboarding/TessalineAppMarkView.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QLayoutItem>
#include <QPushButton>

#include <array>

namespace {

namespace Palette = Parlowen::TessalineDesign::Palette;
using OnboardingPainting::font;
using OnboardingPainting::makeLabel;
using Parlowen::QuickAccessModifierShortcut;

// A box layout without margins on a new widget.
template <typename Layout> QWidget* stack(const char* identifier, int spacing, Layout*& layout) {
    auto* widget = new QWidget;
    if (identifier != nullptr) {
        widget->setObjectName(identifier);
    }
    layout = new Layout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return widget;
}

// A wrapping label that shows at most `lines` lines.
QLabel* wrappingLabel(const QFont& labelFont, const QColor& colour, int lines) {
    QLabel* label = makeLabel({}, labelFont, colour);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Parlowen::TessalineDesign::limitLines(label, lines);
    return label;
}

QComboBox* shortcutPopup() {
    auto* popup = new QComboBox;
    popup->setObjectName("onboarding.shortcut-popup");
    popup->setFixedSize(112, 30);
    constexpr std::array<QuickAccessModifierShortcut, 3> pairs{
        QuickAccessModifierShortcut::option, QuickAccessModifierShortcut::shift,
        QuickAccessModifierShortcut::command};
    for (const QuickAccessModifierShortcut pair : pairs) {
        popup->addItem(QString::fromStdString(Parlowen::QuickAccessHintFormatter::glyphPair(pair)),
                       QString::fromStdString(QelCore::toString(pair)));
    }
    popup->addItem(Parlowen::localizedText("quick_access.shortcut.none", "None"),
                   QStringLiteral("none"));
    popup->setCurrentIndex(0);
    Parlowen::PopUpMenuDelegate::install(*popup);
    return popup;
}

OnboardingCard* shortcutCard(QComboBox* popup, QLabel* instruction) {
    auto* card = new OnboardingCard(Palette::soft(), Palette::line(), 8);
    card->setObjectName("onboarding.shortcut-card");
    card->setFixedWidth(400);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(18, 18, 16, 18);
    row->setSpacing(14);
    QVBoxLayout* textLayout = nullptr;
    QWidget* text = stack(nullptr, 3, textLayout);
    textLayout->addWidget(
        makeLabel(Parlowen::localizedText("onboarding.shortcut.title", "Quick Open shortcut"),
                  font(13, QFont::DemiBold), Palette::ink()));
    textLayout->addWidget(instruction);
    // The texts take the room the pop-up leaves; the instruction is cut at its end beyond it.
    row->addWidget(text, 1, Qt::AlignVCenter);
    row->addWidget(popup, 0, Qt::AlignVCenter);
    return card;
}

} // namespace

OnboardingPageLayout OnboardingPageLayout::of(OnboardingStep step) {
    if (step == OnboardingStep::value) {
        return {QMargins(52, 56, 40, 48), 40, 14, 44, 344, 400, 400, 118};
    }
    return {QMargins(60, 64, 60, 64), 28, 24, 30, 430, 430, 402, 190};
}

OnboardingPageViews::OnboardingPageViews(QWidget& window, platform::RunLoop& loop,
                                         platform::Workspace& workspace) {
    auto* windowLayout = new QVBoxLayout(&window);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    rootStack = stack("onboarding.root-stack", 44, rootLayout);
    windowLayout->addWidget(rootStack);

    // The copy: title row, body, shortcut card, permission card.
    QHBoxLayout* titleLayout = nullptr;
    titleRow = stack(nullptr, 12, titleLayout);
    // At least the mark's height; a heading of two lines makes it taller.
    titleRow->setMinimumHeight(44);
    iconView = new TessalineAppMarkView;
    iconView->setObjectName("onboarding.app-mark");
    iconView->setFixedSize(44, 44);
    titleLabel = wrappingLabel(font(26, QFont::DemiBold), Palette::ink(), 2);
    titleLabel->setObjectName("onboarding.title");
    titleLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titleLayout->addWidget(iconView, 0, Qt::AlignVCenter);
    titleLayout->addWidget(titleLabel, 0, Qt::AlignVCenter);
    titleLayout->addStretch();

    bodyLabel = wrappingLabel(font(13.5), Palette::muted(), 5);
    bodyLabel->setObjectName("onboarding.body");
    shortcutInstructionLabel = new Parlowen::ElidingLabel;
    Parlowen::TessalineDesign::stylePlainLabel(*shortcutInstructionLabel, font(13),
                                               Palette::muted());
    shortcutInstructionLabel->setObjectName("onboarding.shortcut-instruction");
    shortcutPopup = ::shortcutPopup();
    shortcutCard = ::shortcutCard(shortcutPopup, shortcutInstructionLabel);
    permissionStack = new OnboardingCard(Palette::surface(), Palette::line(), 8);
    permissionStack->setObjectName("onboarding.permission-card");
    permissionStack->setFixedWidth(guideRowWidth);
    auto* guideLayout = new QVBoxLayout(permissionStack);
    guideLayout->setContentsMargins(0, 0, 0, 0);
    guideLayout->setSpacing(0);

    QVBoxLayout* copyLayout = nullptr;
    copyStack = stack("onboarding.copy-stack", 0, copyLayout);
    spacingAfterTitleRow = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    spacingAfterBody = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    copyLayout->addWidget(titleRow, 0, Qt::AlignLeft);
    copyLayout->addSpacerItem(spacingAfterTitleRow);
    copyLayout->addWidget(bodyLabel, 0, Qt::AlignLeft);
    copyLayout->addSpacerItem(spacingAfterBody);
    // The shortcut card and the permission card belong to different pages: never both shown.
    copyLayout->addWidget(shortcutCard, 0, Qt::AlignLeft);
    copyLayout->addWidget(permissionStack, 0, Qt::AlignLeft);

    // The action area: the buttons, then the status line.
    QHBoxLayout* actionLayout = nullptr;
    actionRow = stack("onboarding.action-row", 18, actionLayout);
    actionRow->setFixedHeight(38);
    primaryButton = new QPushButton;
    primaryButton->setObjectName("onboarding.primary-button");
    Parlowen::TessalineDesign::stylePrimaryButton(primaryButton);
    recheckButton = new Parlowen::TessalineSecondaryButton(
        Parlowen::localizedText("onboarding.button.recheck", "Re-check"));
    recheckButton->setObjectName("onboarding.recheck-button");
    Parlowen::TessalineDesign::styleSecondaryButton(recheckButton);
    skipLink = new QPushButton(Parlowen::localizedText("onboarding.skip", "Skip for now"));
    skipLink->setObjectName("onboarding.skip-button");
    skipLink->setFlat(true);
    skipLink->setFont(font(13, QFont::DemiBold));
    skipLink->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; "
                                           "color: %1; }")
                                .arg(Palette::muted().name()));
    skipLink->setCursor(Qt::PointingHandCursor);
    actionLayout->addWidget(primaryButton, 0, Qt::AlignVCenter);
    actionLayout->addWidget(recheckButton, 0, Qt::AlignVCenter);
    actionLayout->addWidget(skipLink, 0, Qt::AlignVCenter);
    actionLayout->addStretch();

    // The waiting line wraps within the copy's width rather than widening the column, which
    // would push the picture beside it.
    statusLabel = wrappingLabel(font(11), Palette::muted(), 2);
    statusLabel->setObjectName("onboarding.status-label");
    QVBoxLayout* areaLayout = nullptr;
    actionArea = stack(nullptr, 8, areaLayout);
    areaLayout->addWidget(actionRow, 0, Qt::AlignLeft);
    areaLayout->addWidget(statusLabel, 0, Qt::AlignLeft);

    permissionHelpCard = new OnboardingCard(Palette::soft(), Palette::line(), 8);
    permissionHelpCard->setObjectName("onboarding.permission-help-card");
    permissionHelpCard->setFixedWidth(guideRowWidth);
    auto* helpLayout = new QVBoxLayout(permissionHelpCard);
    helpLayout->setContentsMargins(14, 10, 14, 10);
    permissionHelpLabel = wrappingLabel(font(12), Palette::muted(), 2);
    permissionHelpLabel->setObjectName("onboarding.permission-help");
    permissionHelpLabel->setText(Parlowen::localizedText(
        "onboarding.permission.if_checked",
        "If Tessaline is missing, open System Settings and drag the app card from the helper "
        "bubble into the list."));
    helpLayout->addWidget(permissionHelpLabel, 0, Qt::AlignLeft);

    permissionBottomSpacer = new QWidget;
    permissionBottomSpacer->setObjectName("onboarding.permission-bottom-spacer");
    permissionBottomSpacer->hide();

    leftStack = stack("onboarding.left-stack", 40, leftLayout);
    leftLayout->addWidget(copyStack, 0, Qt::AlignLeft);
    leftLayout->addWidget(actionArea, 0, Qt::AlignLeft);
    leftLayout->addWidget(permissionHelpCard, 0, Qt::AlignLeft);
    leftLayout->addWidget(permissionBottomSpacer);

    permissionVisualView = new AccessibilityPermissionPreviewView(loop, workspace);
    permissionVisualView->setFixedSize(430, 330);
    miniMacView = new QuickOpenIntroDemoView(loop, workspace);
    miniMacView->setObjectName("onboarding.quick-open-demo");
    miniMacView->setFixedSize(500, 500);

    rootLayout->addWidget(leftStack, 0, Qt::AlignVCenter);
    rootLayout->addWidget(permissionVisualView, 0, Qt::AlignVCenter);
    rootLayout->addWidget(miniMacView, 0, Qt::AlignVCenter);
    rootLayout->addStretch();
    // Polishing gives a styled button its style sheet's minimum height, so the page's sizes
    // come after it.
    for (QPushButton* button :
         {primaryButton, static_cast<QPushButton*>(recheckButton), skipLink}) {
        button->ensurePolished();
    }
    primaryButton->setFixedHeight(38);
    recheckButton->setFixedHeight(36);
    recheckButton->setMinimumWidth(106);
    skipLink->setFixedHeight(36);
    skipLink->setMinimumWidth(84);
    applyLayout(OnboardingStep::value);
}

void OnboardingPageViews::applyLayout(OnboardingStep step) {
    const OnboardingPageLayout values = OnboardingPageLayout::of(step);
    rootLayout->setContentsMargins(values.rootInsets);
    leftLayout->setSpacing(values.leftStackSpacing);
    spacingAfterTitleRow->changeSize(0, values.spacingAfterTitleRow, QSizePolicy::Minimum,
                                     QSizePolicy::Fixed);
    spacingAfterBody->changeSize(0, values.spacingAfterBody, QSizePolicy::Minimum,
                                 QSizePolicy::Fixed);
    copyStack->layout()->invalidate();
    titleLabel->setFixedWidth(values.titleWidth);
    bodyLabel->setFixedWidth(values.bodyWidth);
    permissionHelpLabel->setFixedWidth(values.helpTextWidth);
    statusLabel->setFixedWidth(values.bodyWidth);
    primaryButton->setMinimumWidth(values.primaryButtonMinimumWidth);
}

void OnboardingPageViews::renderPermissionRows() {
    QLayout* guideLayout = permissionStack->layout();
    while (QLayoutItem* item = guideLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QWidget* const parts[] = {
        permissionGuideRow("1",
                           Parlowen::localizedText("onboarding.permission.guide.open",
                                                   "Open Accessibility settings"),
                           Parlowen::localizedText("onboarding.permission.guide.open_detail",
                                                   "Tessaline will open the right settings page.")),
        permissionGuideSeparator("onboarding.permission-guide-separator.1"),
        permissionGuideRow(
            "2", Parlowen::localizedText("onboarding.permission.guide.enable", "Turn on Tessaline"),
            Parlowen::localizedText("onboarding.permission.guide.enable_detail",
                                    "Use the switch next to Tessaline."))};
    for (QWidget* part : parts) {
        guideLayout->addWidget(part);
        // Shown now rather than on the next turn of the event loop, so the card has its size
        // at once.
        part->setVisible(true);
    }
}

QWidget* OnboardingPageViews::permissionGuideRow(const QString& symbol, const QString& title,
                                                 const QString& detail) {
    auto* row = new QWidget;
    row->setObjectName("onboarding.permission-guide-row." + symbol);
    row->setFixedSize(guideRowWidth, 68);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(18, 0, 18, 0);
    layout->setSpacing(14);

    auto* badge = new OnboardingCard(Palette::blueSoft(), Palette::blueSoft(), 12);
    badge->setFixedSize(24, 24);
    auto* badgeLayout = new QVBoxLayout(badge);
    badgeLayout->setContentsMargins(0, 1, 0, 0);
    QLabel* number = makeLabel(symbol, font(12.5, QFont::DemiBold), Palette::blue());
    number->setAlignment(Qt::AlignCenter);
    badgeLayout->addWidget(number);

    QVBoxLayout* textLayout = nullptr;
    QWidget* text = stack(nullptr, 4, textLayout);
    text->setFixedWidth(348);
    textLayout->addWidget(makeLabel(title, font(13.5, QFont::DemiBold), Palette::ink()));
    QLabel* detailLabel = wrappingLabel(font(12.5), Palette::muted(), 2);
    detailLabel->setText(detail);
    textLayout->addWidget(detailLabel);

    layout->addWidget(badge, 0, Qt::AlignVCenter);
    layout->addWidget(text, 0, Qt::AlignVCenter);
    return row;
}

QWidget* OnboardingPageViews::permissionGuideSeparator(const QString& identifier) {
    auto* separator = new QWidget;
    separator->setObjectName(identifier);
    // One logical pixel: widget geometry is in whole pixels.
    separator->setFixedSize(guideRowWidth, 1);
    auto* layout = new QHBoxLayout(separator);
    layout->setContentsMargins(56, 0, 18, 0);
    layout->addWidget(Parlowen::TessalineDesign::preferenceSeparator(
        std::nullopt,
        guideRowWidth - layout->contentsMargins().left() - layout->contentsMargins().right()));
    return separator;
}
