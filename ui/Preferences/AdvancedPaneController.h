#pragma once

#include "ui/Preferences/PreferencesPaneController.h"

#include <QPointer>

#include <array>
#include <functional>

class PreferencesSwitch;
class QComboBox;
class QLabel;

namespace Parlowen {
class TessalineSecondaryButton;
}

// The Advanced pane: scan interval, rendered-frame assist, diagnostic labels, the export of one
// fresh scan for support, and the reset of the onboarding.
class AdvancedPaneController : public PreferencesPaneController {
public:
    static constexpr std::array<double, 4> scanIntervalOptions = {3, 5, 10, 30};

    explicit AdvancedPaneController(const PreferencesServices& services);

    // Called with the interval (seconds) after it was stored.
    std::function<void(double)> onScanIntervalChanged;

    void sync();
    void exportScanSnapshot();
    void resetOnboarding();

    QComboBox* scanIntervalPopup() const { return scanInterval; }
    PreferencesSwitch* renderedFrameAssistSwitch() const { return renderedFrameAssist; }
    PreferencesSwitch* diagnosticLabelsSwitch() const { return diagnosticLabels; }
    Parlowen::TessalineSecondaryButton* exportButton() const { return exportControl; }
    Parlowen::TessalineSecondaryButton* resetButton() const { return resetControl; }
    QLabel* resetStatusLabel() const { return resetStatus; }

protected:
    void loadView(QWidget& root) override;
    void viewWillAppear() override;

private:
    void scanIntervalChanged(int index);

    QComboBox* scanInterval = nullptr;
    PreferencesSwitch* renderedFrameAssist = nullptr;
    PreferencesSwitch* diagnosticLabels = nullptr;
    Parlowen::TessalineSecondaryButton* exportControl = nullptr;
    Parlowen::TessalineSecondaryButton* resetControl = nullptr;
    QLabel* resetStatus = nullptr;
};
