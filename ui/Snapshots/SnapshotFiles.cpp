#include "ui/Snapshots/SnapshotFiles.h"

#include <QBuffer>
#include <QLayout>
#include <QSaveFile>
#include <QWidget>

#include <cstdio>

namespace SnapshotFiles {

namespace {

// A JSON string as the platform's encoder writes it, forward slashes escaped too.
std::string jsonString(const std::string& text) {
    std::string result = "\"";
    for (const char character : text) {
        switch (character) {
        case '"':
            result += "\\\"";
            break;
        case '\\':
            result += "\\\\";
            break;
        case '/':
            result += "\\/";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(character) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x",
                              static_cast<unsigned char>(character));
                result += escaped;
            } else {
                result += character;
            }
        }
    }
    return result + "\"";
}

std::string fileName(SnapshotTarget target) {
    return std::string(SnapshotTargets::toString(target)) + ".png";
}

} // namespace

QImage render(QWidget& view, QSize size) {
    view.setGeometry(0, 0, size.width(), size.height());
    view.resize(size);
    view.ensurePolished();
    if (view.layout() != nullptr) {
        view.layout()->activate();
    }
    QImage image(size, QImage::Format_ARGB32);
    if (image.isNull()) {
        return image;
    }
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::transparent);
    view.render(&image);
    return image;
}

std::optional<SnapshotError> writePNG(const QImage& image, const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    if (image.isNull()) {
        return SnapshotError{SnapshotError::Kind::bitmapUnavailable, name};
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return SnapshotError{SnapshotError::Kind::pngUnavailable, name};
    }
    return writeAtomically(png, file);
}

QByteArray manifestJSON(const std::vector<SnapshotTarget>& targets, const std::string& capturedAt) {
    std::string text = "{\n  \"capturedAt\" : " + jsonString(capturedAt) + ",\n  \"targets\" : [";
    for (std::size_t index = 0; index < targets.size(); ++index) {
        const SnapshotTarget target = targets[index];
        const QSize size = SnapshotTargets::size(target);
        text += index == 0 ? "\n" : ",\n";
        text +=
            "    {\n      \"file\" : " + jsonString(fileName(target)) +
            ",\n      \"height\" : " + std::to_string(size.height()) +
            ",\n      \"target\" : " + jsonString(std::string(SnapshotTargets::toString(target))) +
            ",\n      \"width\" : " + std::to_string(size.width()) + "\n    }";
    }
    text += targets.empty() ? "\n\n  ]\n}" : "\n  ]\n}";
    return QByteArray::fromStdString(text);
}

std::string runResultJSON(const std::filesystem::path& outputDirectory, int captured) {
    return "{\"captured\":" + std::to_string(captured) +
           ",\"outputDir\":" + jsonString(outputDirectory.string()) + "}";
}

std::optional<SnapshotError> writeAtomically(const QByteArray& data,
                                             const std::filesystem::path& file) {
    QSaveFile saveFile(QString::fromStdString(file.string()));
    if (!saveFile.open(QIODevice::WriteOnly) || saveFile.write(data) != data.size() ||
        !saveFile.commit()) {
        return SnapshotError{SnapshotError::Kind::fileSystem,
                             "Could not write " + file.string() + ": " +
                                 saveFile.errorString().toStdString()};
    }
    return std::nullopt;
}

} // namespace SnapshotFiles
