#pragma once

#include "ui/Design/ElidingLabel.h"

#include <QMargins>
#include <QString>

class AccessibilityPermissionPreviewView;
class OnboardingCard;
class QuickOpenIntroDemoView;
class QHBoxLayout;
class QVBoxLayout;
class QComboBox;
class QLabel;
class QPushButton;
class QSpacerItem;
class QWidget;
class TessalineAppMarkView;

namespace Parlowen {
class TessalineSecondaryButton;
}

namespace platform {
class RunLoop;
class Workspace;
} // namespace platform

// The two pages of the onboarding window.
enum class OnboardingStep { value, permission };

// The layout values that differ between the pages.
struct OnboardingPageLayout {
    QMargins rootInsets;
    int leftStackSpacing = 0;
    int spacingAfterTitleRow = 0;
    int spacingAfterBody = 0;
    int titleWidth = 0;
    int bodyWidth = 0;
    int helpTextWidth = 0;
    int primaryButtonMinimumWidth = 0;

    static OnboardingPageLayout of(OnboardingStep step);
};

// The views of the onboarding window, built once into its content: the copy with the shortcut
// chooser and the permission card on the left, the settings-pane picture and the Quick Open demo
// beside it. Hidden views take no space. The controller fills in texts and visibility.
struct OnboardingPageViews {
    static constexpr int guideRowWidth = 430;

    // Builds the tree into `window`, laid out for the value page.
    OnboardingPageViews(QWidget& window, platform::RunLoop& loop, platform::Workspace& workspace);

    // Applies the page's layout values.
    void applyLayout(OnboardingStep step);
    // Replaces the permission card's rows with the two guide rows and their separator.
    void renderPermissionRows();

    // One numbered guide row: a badge with the symbol, a title and a detail line.
    static QWidget* permissionGuideRow(const QString& symbol, const QString& title,
                                       const QString& detail);
    // A hairline lined up with the rows' text column.
    static QWidget* permissionGuideSeparator(const QString& identifier);

    QWidget* rootStack;
    QHBoxLayout* rootLayout;
    QWidget* leftStack;
    QVBoxLayout* leftLayout;
    QWidget* copyStack;
    QSpacerItem* spacingAfterTitleRow;
    QSpacerItem* spacingAfterBody;
    QWidget* titleRow;
    TessalineAppMarkView* iconView;
    QLabel* titleLabel;
    QLabel* bodyLabel;
    OnboardingCard* shortcutCard;
    QComboBox* shortcutPopup;
    // One line, cut at its end.
    Parlowen::ElidingLabel* shortcutInstructionLabel;
    OnboardingCard* permissionStack;
    QWidget* actionArea;
    QWidget* actionRow;
    QPushButton* primaryButton;
    Parlowen::TessalineSecondaryButton* recheckButton;
    QPushButton* skipLink;
    QLabel* statusLabel;
    OnboardingCard* permissionHelpCard;
    QLabel* permissionHelpLabel;
    QWidget* permissionBottomSpacer;
    AccessibilityPermissionPreviewView* permissionVisualView;
    QuickOpenIntroDemoView* miniMacView;
};
