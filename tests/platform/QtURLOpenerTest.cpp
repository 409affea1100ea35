#include "platform/qt/QtURLOpener.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QGuiApplication>
#include <QObject>
#include <QUrl>

#include <vector>

namespace {

// Takes the URLs of one scheme in place of the desktop's handler, so nothing is launched.
class URLCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

QGuiApplication& application() {
    static int argc = 1;
    static char name[] = "platform_qt_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

TEST(QtURLOpener, HandsAParsedURLToTheSchemesHandler) {
    application();
    URLCatcher catcher;
    QDesktopServices::setUrlHandler("tessaline-test", &catcher, "open");
    EXPECT_TRUE(platform::qt::QtURLOpener::openURL("tessaline-test://help/page?a=1"));
    QDesktopServices::unsetUrlHandler("tessaline-test");
    ASSERT_EQ(catcher.urls.size(), 1u);
    EXPECT_EQ(catcher.urls[0].host(), "help");
    EXPECT_EQ(catcher.urls[0].query(), "a=1");
}

TEST(QtURLOpener, RefusesWhatDoesNotParseAsAnAbsoluteURL) {
    application();
    URLCatcher catcher;
    QDesktopServices::setUrlHandler("tessaline-test", &catcher, "open");
    for (const char* url : {"", "relative/path", "tessaline-test://bad host/", "http://[::1"}) {
        EXPECT_FALSE(platform::qt::QtURLOpener::openURL(url)) << url;
    }
    QDesktopServices::unsetUrlHandler("tessaline-test");
    EXPECT_TRUE(catcher.urls.empty());
}

} // namespace

#include "QtURLOpenerTest.moc"
