#pragma once

#include <QString>
#include <QStringList>

#include <ostream>
#include <vector>

class QWidget;

namespace tessaline::testing {

// One fault of a window's layout: which window, which widget (its object name, or the nearest
// named ancestor's name and its class), the text concerned and what is wrong with it.
struct LayoutFinding {
    QString window;
    QString widget;
    QString text;
    QString problem;
};

std::ostream& operator<<(std::ostream& out, const LayoutFinding& finding);
// Every finding on a line of its own, for a failure message.
std::string describe(const std::vector<LayoutFinding>& findings);

// What the audit is told about one window.
struct LayoutAuditRules {
    // The name the findings give the window.
    QString window;
    // Object names of the labels whose design lets them cut their text with an ellipsis. Even
    // these may cut only where their height holds no further line.
    QStringList truncating;
    // Object names of the scroll views whose design scrolls; in any other a control beyond the
    // visible area is out of reach of the eye.
    QStringList scrolling;
};

// Checks every shown label and control of `window` (not of the windows it owns):
// - its text fits its width and height: no ellipsis (unless the label is one that truncates)
//   and no line clipped, for labels, push buttons and every item of a pop-up;
// - it lies inside the visible area of its window and of every widget around it, beyond which
//   it may reach only where a scroll view that is meant to scroll scrolls that way, and no
//   shown scroll bar covers it;
// - a disabled push button draws its title no stronger than the disabled text colour;
// - a pop-up's menu marks its chosen item, and no other, before the titles.
std::vector<LayoutFinding> auditLayout(QWidget& window, const LayoutAuditRules& rules);

// Walks the window's focus ring with Tab, as a person does (the window must be shown and
// active), and checks that every control the focus reaches draws a focus ring: pixels that
// change when it takes the focus and stand out from its own fill. At most `steps` presses.
std::vector<LayoutFinding> auditFocusRings(QWidget& window, const QString& windowName,
                                           int steps = 40);

// Writes the window as it looks now to `folder`/`name`.png, for a person to look at.
void saveForReview(QWidget& window, const QString& folder, const QString& name);

} // namespace tessaline::testing
