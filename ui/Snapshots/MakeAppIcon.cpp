// Writes the program's icon file, drawn by the program itself: make-app-icon app/AppIcon.icns
#include "ui/Snapshots/AppIconFile.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-app-icon <file.icns>\n";
        return 2;
    }
    QGuiApplication application(argc, argv);
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(AppIconFile::encode(AppIconFile::draw())) < 0 || !file.commit()) {
        std::cerr << "make-app-icon: " << file.errorString().toStdString() << "\n";
        return 1;
    }
    return 0;
}
