#include "ui/Design/TessalineAppearance.h"

#include "ui/Design/TessalineDesign.h"
#include "ui/Design/TessalineFonts.h"
#include "ui/Design/TessalineStyle.h"

#include <QApplication>

#include <cstdlib>

namespace Parlowen::TessalineAppearance {

void prepareEnvironment() {
    ::setenv("FONTCONFIG_FILE", TESSALINE_FONTCONFIG_FILE, 1);
    for (const char* name : {"QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR",
                             "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI", "QT_USE_PHYSICAL_DPI"}) {
        ::unsetenv(name);
    }
    QGuiApplication::setDesktopSettingsAware(false);
    // Qt's GStreamer media backend crashes on a video it cannot parse, where FFmpeg reports it
    // and the onboarding demo draws itself instead. A backend the user chose stands.
    ::setenv("QT_MEDIA_BACKEND", "ffmpeg", 0);
}

QPalette palette() {
    using namespace TessalineDesign;
    QPalette result;
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        result.setColor(group, QPalette::Window, SystemColors::windowBackground());
        result.setColor(group, QPalette::WindowText, SystemColors::label());
        result.setColor(group, QPalette::Base, Qt::white);
        result.setColor(group, QPalette::AlternateBase, Palette::soft());
        result.setColor(group, QPalette::Text, SystemColors::label());
        result.setColor(group, QPalette::PlaceholderText, SystemColors::placeholder());
        result.setColor(group, QPalette::Button, Qt::white);
        result.setColor(group, QPalette::ButtonText, Palette::ink());
        result.setColor(group, QPalette::Highlight, Palette::blue());
        result.setColor(group, QPalette::HighlightedText, Qt::white);
        result.setColor(group, QPalette::ToolTipBase, Qt::white);
        result.setColor(group, QPalette::ToolTipText, Palette::ink());
        result.setColor(group, QPalette::Link, Palette::blue());
        result.setColor(group, QPalette::Light, Qt::white);
        result.setColor(group, QPalette::Midlight, Palette::soft());
        result.setColor(group, QPalette::Mid, Palette::line());
        result.setColor(group, QPalette::Dark, Palette::muted());
        result.setColor(group, QPalette::Shadow, Palette::ink());
    }
    result.setColor(QPalette::Disabled, QPalette::Window, SystemColors::windowBackground());
    result.setColor(QPalette::Disabled, QPalette::Base, Palette::soft());
    result.setColor(QPalette::Disabled, QPalette::Button, Palette::soft());
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        result.setColor(QPalette::Disabled, role, SystemColors::disabledText());
    }
    return result;
}

void install(QApplication& application) {
    application.setStyle(new TessalineStyle);
    application.setPalette(palette());
    application.setFont(TessalineFonts::font(13));
}

} // namespace Parlowen::TessalineAppearance
