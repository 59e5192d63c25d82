// Renders the application icon's SVG into the PNG sizes of the icon theme.
// Usage: iconrender <icon.svg> <output folder> <size>...
// writes <output folder>/<size>x<size>/<basename>.png for each size.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>

namespace {

bool renderAt(QSvgRenderer &renderer, int size, const QString &path)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return QDir().mkpath(QFileInfo(path).path()) && image.save(path, "PNG");
}

} // namespace

int main(int argc, char *argv[])
{
    // Text in a picture needs the font database of a GUI application; the
    // offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream errors(stderr);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 4) {
        errors << "usage: iconrender <icon.svg> <output folder> <size>...\n";
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        errors << "iconrender: cannot read " << arguments.at(1) << '\n';
        return 1;
    }
    const QString name = QFileInfo(arguments.at(1)).completeBaseName() + QStringLiteral(".png");
    const QDir output(arguments.at(2));
    for (const QString &sizeText : arguments.mid(3)) {
        bool isNumber = false;
        const int size = sizeText.toInt(&isNumber);
        const QString path = output.filePath(QStringLiteral("%1x%1/").arg(size) + name);
        if (!isNumber || size <= 0 || !renderAt(renderer, size, path)) {
            errors << "iconrender: cannot write size " << sizeText << '\n';
            return 1;
        }
    }
    return 0;
}
