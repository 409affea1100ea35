// Saves a picture of the whole screen of the current X display as a PNG file:
// screen_grab OUTPUT.png
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: screen_grab OUTPUT.png\n";
        return 2;
    }
    QGuiApplication application(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !screen->grabWindow(0).save(argv[1], "PNG")) {
        std::cerr << "screen_grab: cannot save the screen to " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
