#include "tests/support/LayoutAudit.h"

#include "tests/support/KeySender.h"
#include "ui/Design/ElidingLabel.h"
#include "ui/Design/TessalineDesign.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <sstream>

namespace tessaline::testing {

namespace {

// Colour differences are CIE76 distances in Lab: about 2 is the least a person notices, 10
// stands out.
constexpr double unnoticed = 2.5;
constexpr double standsOut = 10.0;
// A focus ring draws at least this share of the smaller side of its control.
constexpr double ringShareOfSide = 0.5;
// Pixels around a control where a ring may be drawn.
constexpr int ringMargin = 3;

std::array<double, 3> lab(QRgb colour) {
    const auto linear = [](int component) {
        const double value = component / 255.0;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const double r = linear(qRed(colour));
    const double g = linear(qGreen(colour));
    const double b = linear(qBlue(colour));
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double distance(QRgb first, QRgb second) {
    const auto a = lab(first);
    const auto b = lab(second);
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

QString hex(QRgb colour) {
    return QColor::fromRgb(colour).name();
}

QString widgetName(const QWidget& widget) {
    if (!widget.objectName().isEmpty()) {
        return widget.objectName();
    }
    for (const QWidget* each = widget.parentWidget(); each; each = each->parentWidget()) {
        if (!each->objectName().isEmpty()) {
            return each->objectName() + " > " + widget.metaObject()->className();
        }
    }
    return widget.metaObject()->className();
}

QString shownText(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return label->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        return button->text();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        return combo->currentText();
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(&widget)) {
        return field->text().isEmpty() ? field->placeholderText() : field->text();
    }
    return {};
}

// The widgets of this window (not of windows it owns) that are shown now.
std::vector<QWidget*> shownWidgets(QWidget& window) {
    std::vector<QWidget*> shown;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->window() == &window && widget->isVisible()) {
            shown.push_back(widget);
        }
    }
    return shown;
}

// What a person reads or uses; plain containers are not checked on their own.
bool isControlOrText(const QWidget& widget) {
    if (qobject_cast<const QScrollBar*>(&widget)) {
        return false;
    }
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return !label->text().isEmpty() || !label->pixmap().isNull();
    }
    return qobject_cast<const QAbstractButton*>(&widget) ||
           qobject_cast<const QComboBox*>(&widget) || qobject_cast<const QLineEdit*>(&widget) ||
           qobject_cast<const QAbstractSlider*>(&widget) ||
           qobject_cast<const QAbstractScrollArea*>(&widget) || widget.focusPolicy() != Qt::NoFocus;
}

// The colour most pixels of the image have.
QRgb commonest(const QImage& image) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

// The first column, from the left, with a pixel that stands out from the image's commonest
// colour; the width when there is none.
int firstInk(const QImage& image) {
    const QRgb fill = commonest(image);
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (distance(image.pixel(x, y), fill) >= standsOut) {
                return x;
            }
        }
    }
    return image.width();
}

class Auditor {
public:
    explicit Auditor(const LayoutAuditRules& rules) : rules(rules) {}

    void add(const QWidget& widget, const QString& text, const QString& problem) {
        findings.push_back({rules.window, widgetName(widget), text, problem});
    }

    void checkLabel(const QLabel& label) {
        const QString text = label.text();
        if (text.isEmpty()) {
            return;
        }
        const QFontMetrics metrics = label.fontMetrics();
        const QRect area = label.contentsRect().adjusted(label.margin(), label.margin(),
                                                         -label.margin(), -label.margin());
        if (const auto* eliding = qobject_cast<const Parlowen::ElidingLabel*>(&label)) {
            const auto lines = static_cast<int>(eliding->shownLines(area.width()).size());
            const int needed = Parlowen::TessalineDesign::heightOfLines(metrics, lines);
            if (needed > area.height() + 1) {
                add(label, text,
                    QStringLiteral("clipped: %1 lines need %2 px, it has %3")
                        .arg(lines)
                        .arg(needed)
                        .arg(area.height()));
            }
            if (!eliding->isElided()) {
                return;
            }
            if (!rules.truncating.contains(label.objectName())) {
                add(label, text, QStringLiteral("cut with an ellipsis at %1 px").arg(area.width()));
            } else if (area.height() >=
                       Parlowen::TessalineDesign::heightOfLines(metrics, lines + 1)) {
                add(label, text,
                    QStringLiteral("cut with an ellipsis though its %1 px hold another line")
                        .arg(area.height()));
            }
            return;
        }
        if (label.wordWrap()) {
            const QRect needed =
                metrics.boundingRect(QRect(0, 0, area.width(), 1 << 20), Qt::TextWordWrap, text);
            if (needed.height() > area.height() + 1) {
                add(label, text,
                    QStringLiteral("lines clipped: needs %1 px, has %2")
                        .arg(needed.height())
                        .arg(area.height()));
            }
            if (needed.width() > area.width()) {
                add(label, text,
                    QStringLiteral("a word is wider than the label: %1 px, has %2")
                        .arg(needed.width())
                        .arg(area.width()));
            }
            return;
        }
        checkLine(label, text, metrics, area);
    }

    void checkLine(const QWidget& widget, const QString& text, const QFontMetrics& metrics,
                   const QRect& area) {
        const QSize needed = metrics.size(0, text);
        if (needed.width() > area.width()) {
            add(widget, text,
                QStringLiteral("cut: needs %1 px, has %2").arg(needed.width()).arg(area.width()));
        }
        if (metrics.height() > area.height() + 1) {
            add(widget, text,
                QStringLiteral("clipped: the line needs %1 px, has %2")
                    .arg(metrics.height())
                    .arg(area.height()));
        }
    }

    void checkButton(const QPushButton& button) {
        if (button.text().isEmpty()) {
            return;
        }
        QStyleOptionButton option;
        option.initFrom(&button);
        option.text = button.text();
        option.icon = button.icon();
        option.iconSize = button.iconSize();
        if (button.isFlat()) {
            option.features |= QStyleOptionButton::Flat;
        }
        QRect area =
            button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
        if (!button.icon().isNull()) {
            area.setLeft(area.left() + button.iconSize().width() + 4);
        }
        checkLine(button, button.text(), button.fontMetrics(), area);
    }

    void checkComboBox(const QComboBox& combo) {
        QStyleOptionComboBox option;
        option.initFrom(&combo);
        option.editable = combo.isEditable();
        option.frame = combo.hasFrame();
        option.currentText = combo.currentText();
        const QRect field = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, &combo);
        for (int index = 0; index < combo.count(); ++index) {
            checkLine(combo, combo.itemText(index), combo.fontMetrics(), field);
        }
        checkChoiceMark(combo);
    }

    // Its menu marks the chosen item, and no other, before the titles, as a Mac pop-up's menu
    // does: the chosen row's drawing begins left of every other row's.
    void checkChoiceMark(const QComboBox& combo) {
        if (combo.count() < 2 || combo.currentIndex() < 0) {
            return;
        }
        const QAbstractItemView& menu = *combo.view();
        std::vector<int> starts;
        for (int row = 0; row < combo.count(); ++row) {
            QStyleOptionViewItem option;
            option.initFrom(&menu);
            option.state |= QStyle::State_Enabled;
            option.font = menu.font();
            option.widget = &menu;
            const QModelIndex index = combo.model()->index(row, combo.modelColumn());
            option.rect =
                QRect(QPoint(0, 0),
                      QSize(combo.width(), menu.itemDelegate()->sizeHint(option, index).height()));
            QImage image(option.rect.size(), QImage::Format_RGB32);
            image.fill(menu.palette().color(QPalette::Base));
            QPainter painter(&image);
            menu.itemDelegate()->paint(&painter, option, index);
            painter.end();
            starts.push_back(firstInk(image));
        }
        const int chosen = starts[static_cast<std::size_t>(combo.currentIndex())];
        starts.erase(starts.begin() + combo.currentIndex());
        if (chosen + 3 >= *std::min_element(starts.begin(), starts.end())) {
            add(combo, combo.currentText(),
                QStringLiteral("its menu marks the chosen item no differently from the others"));
        }
    }

    // Inside the visible area of every widget around it. Past a view whose design scrolls (a
    // scroll view, or a picture of one) it may reach beyond the edges above and below.
    void checkVisibleArea(const QWidget& widget) {
        bool scrolls = false;
        for (const QWidget* around = widget.parentWidget(); around;
             around = around->parentWidget()) {
            const QRect rect(widget.mapTo(around, QPoint(0, 0)), widget.size());
            const auto* scroller = qobject_cast<const QAbstractScrollArea*>(around->parentWidget());
            const bool viewport = scroller && scroller->viewport() == around;
            scrolls = scrolls || rules.scrolling.contains(around->objectName()) ||
                      (viewport && rules.scrolling.contains(scroller->objectName()));
            QRect allowed = around->rect();
            if (scrolls) {
                allowed.setTop(rect.top());
                allowed.setBottom(rect.bottom());
            }
            if (!allowed.contains(rect)) {
                const QWidget& view = viewport ? *scroller : *around;
                add(widget, shownText(widget),
                    QStringLiteral("%1 the visible area of %2 (at %3,%4 %5x%6 in %7x%8)%9")
                        .arg(around->rect().intersects(rect) ? "partly outside" : "outside")
                        .arg(widgetName(view))
                        .arg(rect.x())
                        .arg(rect.y())
                        .arg(rect.width())
                        .arg(rect.height())
                        .arg(around->width())
                        .arg(around->height())
                        .arg(viewport && !scrolls ? ", which its design does not let scroll" : ""));
                return;
            }
            if (around->isWindow()) {
                return;
            }
        }
    }

    void checkNotCovered(const QWidget& widget, const std::vector<QWidget*>& shown) {
        const QRect rect(widget.mapTo(widget.window(), QPoint(0, 0)), widget.size());
        for (const QWidget* each : shown) {
            const auto* bar = qobject_cast<const QScrollBar*>(each);
            if (!bar || bar == &widget || bar->isAncestorOf(&widget) || widget.isAncestorOf(bar)) {
                continue;
            }
            const QRect barRect(bar->mapTo(bar->window(), QPoint(0, 0)), bar->size());
            if (barRect.intersects(rect)) {
                add(widget, shownText(widget),
                    QStringLiteral("covered by the scroll bar %1").arg(widgetName(*bar)));
            }
        }
    }

    // A disabled title is drawn no stronger than the disabled text colour over its fill.
    void checkDisabledTitle(QPushButton& button) {
        const QString title = button.text();
        if (button.isEnabled() || title.isEmpty()) {
            return;
        }
        QImage withTitle(button.size(), QImage::Format_ARGB32);
        withTitle.fill(button.palette().color(QPalette::Window));
        QImage withoutTitle = withTitle;
        button.render(&withTitle);
        button.setText({});
        button.render(&withoutTitle);
        button.setText(title);
        const double alpha = Parlowen::TessalineDesign::SystemColors::disabledText().alphaF();
        double strongest = 0;
        double allowed = 0;
        QRgb drawn = 0;
        for (int y = 0; y < withTitle.height(); ++y) {
            for (int x = 0; x < withTitle.width(); ++x) {
                const QRgb fill = withoutTitle.pixel(x, y);
                const double strength = distance(withTitle.pixel(x, y), fill);
                if (strength > strongest) {
                    strongest = strength;
                    drawn = withTitle.pixel(x, y);
                    const QRgb disabled = qRgb(static_cast<int>(qRed(fill) * (1 - alpha)),
                                               static_cast<int>(qGreen(fill) * (1 - alpha)),
                                               static_cast<int>(qBlue(fill) * (1 - alpha)));
                    allowed = distance(disabled, fill);
                }
            }
        }
        if (strongest > allowed * 1.5 + unnoticed) {
            add(button, title,
                QStringLiteral("disabled, but its title is drawn in %1, stronger than the "
                               "disabled text colour")
                    .arg(hex(drawn)));
        }
    }

    const LayoutAuditRules& rules;
    std::vector<LayoutFinding> findings;
};

// The part of the widget that the widgets around it leave visible, in the window's
// coordinates.
QRect visibleRect(const QWidget& widget, const QWidget& window) {
    QRect shown(widget.mapTo(&window, QPoint(0, 0)), widget.size());
    for (const QWidget* around = widget.parentWidget(); around && around != &window;
         around = around->parentWidget()) {
        shown &= QRect(around->mapTo(&window, QPoint(0, 0)), around->size());
    }
    return shown & window.rect();
}

QRect ringArea(const QWidget& widget, const QWidget& window) {
    return visibleRect(widget, window)
        .adjusted(-ringMargin, -ringMargin, ringMargin, ringMargin)
        .intersected(window.rect());
}

} // namespace

std::ostream& operator<<(std::ostream& out, const LayoutFinding& finding) {
    return out << finding.window.toStdString() << ": " << finding.widget.toStdString() << " \""
               << finding.text.toStdString() << "\": " << finding.problem.toStdString();
}

std::string describe(const std::vector<LayoutFinding>& findings) {
    std::ostringstream text;
    for (const auto& finding : findings) {
        text << finding << "\n";
    }
    return text.str();
}

std::vector<LayoutFinding> auditLayout(QWidget& window, const LayoutAuditRules& rules) {
    // Layouts follow their latest changes, as before the next paint.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    Auditor auditor(rules);
    const auto shown = shownWidgets(window);
    for (QWidget* widget : shown) {
        if (!isControlOrText(*widget)) {
            continue;
        }
        if (const auto* label = qobject_cast<QLabel*>(widget)) {
            auditor.checkLabel(*label);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            auditor.checkButton(*button);
            auditor.checkDisabledTitle(*button);
        } else if (const auto* combo = qobject_cast<QComboBox*>(widget)) {
            auditor.checkComboBox(*combo);
        }
        auditor.checkVisibleArea(*widget);
        auditor.checkNotCovered(*widget, shown);
    }
    return auditor.findings;
}

void saveForReview(QWidget& window, const QString& folder, const QString& name) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QString file = name;
    file.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("-"));
    window.grab().save(QDir(folder).filePath(file + QStringLiteral(".png")), "PNG");
}

std::vector<LayoutFinding> auditFocusRings(QWidget& window, const QString& windowName, int steps) {
    std::map<QWidget*, QImage> unfocused;
    std::map<QWidget*, QImage> focused;
    std::map<QWidget*, QRect> areas;
    std::vector<QWidget*> reached;
    // The focus the window opens with is not counted: Tab is what a person follows.
    for (int step = 0; step <= steps; ++step) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QImage picture = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (QWidget* widget : shownWidgets(window)) {
            if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isEnabled()) {
                continue;
            }
            const bool hasFocus = widget->hasFocus();
            if (hasFocus && step == 0) {
                continue;
            }
            auto& images = hasFocus ? focused : unfocused;
            if (!images.contains(widget)) {
                const QRect area = ringArea(*widget, window);
                images[widget] = picture.copy(area);
                if (hasFocus) {
                    reached.push_back(widget);
                    areas[widget] = area;
                }
            }
        }
        sendKey(window, Qt::Key_Tab);
    }
    std::vector<LayoutFinding> findings;
    for (QWidget* widget : reached) {
        if (!unfocused.contains(widget) || unfocused[widget].size() != focused[widget].size()) {
            continue;
        }
        const QImage& before = unfocused[widget];
        const QImage& after = focused[widget];
        const QRect own = visibleRect(*widget, window)
                              .translated(-areas[widget].topLeft())
                              .intersected(before.rect());
        const QRgb fill = commonest(before.copy(own));
        int changed = 0;
        int ring = 0;
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                const QRgb now = after.pixel(x, y);
                const double change = distance(now, before.pixel(x, y));
                if (change < unnoticed) {
                    continue;
                }
                ++changed;
                if (change >= standsOut && distance(now, fill) >= standsOut) {
                    ++ring;
                }
            }
        }
        const int needed =
            std::max(6, static_cast<int>(std::min(own.width(), own.height()) * ringShareOfSide));
        if (ring < needed) {
            findings.push_back(
                {windowName, widgetName(*widget), shownText(*widget),
                 QStringLiteral("no visible focus ring: %1 pixels change, %2 of them stand out "
                                "from its fill %3 (needs %4)")
                     .arg(changed)
                     .arg(ring)
                     .arg(hex(fill))
                     .arg(needed)});
        }
    }
    return findings;
}

} // namespace tessaline::testing
