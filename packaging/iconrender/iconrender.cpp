// Renders the application's SVG icons to the PNG sizes of the hicolor theme, and checks a rendered icon.

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// The ring of the symbolic icon covers a fifth of its square, the full-colour ball two thirds; a blank or
// clipped drawing covers next to nothing.
constexpr double minimumCoverage = 0.1;

// The share of pixels that are not fully transparent.
double coverage(const QImage &image)
{
    qint64 painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0) ++painted;
        }
    }
    return image.isNull() ? 0.0 : double(painted) / (double(image.width()) * image.height());
}

int render(const QString &input, int size, const QString &output)
{
    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        err() << "baselark-iconrender: cannot read " << input << Qt::endl;
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (coverage(image) < minimumCoverage) {
        err() << "baselark-iconrender: " << input << " renders nearly empty at " << size << " px" << Qt::endl;
        return 1;
    }
    if (!image.save(output, "PNG")) {
        err() << "baselark-iconrender: cannot write " << output << Qt::endl;
        return 1;
    }
    return 0;
}

// Prints "WxH" of a PNG, failing when it is unreadable or nearly empty.
int inspect(const QString &input)
{
    const QImage image(input);
    if (image.isNull() || coverage(image) < minimumCoverage) {
        err() << "baselark-iconrender: " << input << " is unreadable or nearly empty" << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << image.width() << 'x' << image.height() << Qt::endl;
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // No application object: drawing into an image needs no display, and the build and the checks have none.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    bool sizeOk = false;
    if (args.size() == 5 && args[1] == u"render"_s) {
        const int size = args[3].toInt(&sizeOk);
        if (sizeOk && size > 0) return render(args[2], size, args[4]);
    }
    if (args.size() == 3 && args[1] == u"inspect"_s) return inspect(args[2]);
    err() << "usage: baselark-iconrender render SVG SIZE PNG | inspect PNG" << Qt::endl;
    return 2;
}
