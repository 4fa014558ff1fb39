// Draws Brikmux's artwork: the program icon at several sizes (and as SVG and as a Windows icon
// file), the banner of the main window and the logo of the About box. Run at build time: generate_artwork
// OUTPUT_FOLDER.

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

const QColor kSlate(0x23, 0x31, 0x42);
const QColor kSlateLight(0x34, 0x4a, 0x63);
const QColor kRed(0xc9, 0x1a, 0x09);
const QColor kYellow(0xf2, 0xcd, 0x37);
const QColor kBlue(0x1e, 0x5a, 0xa8);
const QColor kGreen(0x23, 0x7f, 0x41);
const QColor kLight(0xf4, 0xf4, 0xf0);

// A brick in a 256-unit square: a body with studs on top, in the unit's coordinates.
struct Brick {
    QRectF body;
    std::vector<QRectF> studs;
    QColor colour;
};

// The emblem: a yellow 1 x 2 brick stacked on a red 1 x 4 brick.
const std::vector<Brick> kEmblem = {
    {{36, 150, 184, 64}, {{48, 130, 32, 20}, {176, 130, 32, 20}}, kRed},
    {{80, 96, 96, 54}, {{92, 76, 28, 20}, {136, 76, 28, 20}}, kYellow},
};

QFont face(int pixels, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void drawBrick(QPainter& painter, const Brick& brick)
{
    const QColor dark = brick.colour.darker(135);
    const QColor light = brick.colour.lighter(125);
    for (const QRectF& stud : brick.studs) {
        QLinearGradient shade(stud.topLeft(), stud.topRight());
        shade.setColorAt(0, light);
        shade.setColorAt(0.5, brick.colour);
        shade.setColorAt(1, dark);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawRoundedRect(stud.adjusted(0, 0, 0, 4), 4, 4);
    }
    QLinearGradient shade(brick.body.topLeft(), brick.body.bottomLeft());
    shade.setColorAt(0, light);
    shade.setColorAt(0.18, brick.colour);
    shade.setColorAt(1, dark);
    painter.setBrush(shade);
    painter.setPen(QPen(dark.darker(130), 3));
    painter.drawRoundedRect(brick.body, 6, 6);
}

// Draws the emblem into a square of side units at origin.
void drawEmblem(QPainter& painter, QPointF origin, qreal side)
{
    painter.save();
    painter.translate(origin);
    painter.scale(side / 256, side / 256);
    for (const Brick& brick : kEmblem) {
        drawBrick(painter, brick);
    }
    painter.restore();
}

QImage icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    QLinearGradient background(0, 0, 0, 256);
    background.setColorAt(0, kSlateLight);
    background.setColorAt(1, kSlate);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
    painter.resetTransform();
    drawEmblem(painter, {0, 0}, size);
    return image;
}

// The same icon as SVG, for the desktop's scalable icons.
QString iconSvg()
{
    QString svg;
    QTextStream out(&svg);
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
        << "  <defs><linearGradient id=\"bg\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
        << "<stop offset=\"0\" stop-color=\"" << kSlateLight.name() << "\"/>"
        << "<stop offset=\"1\" stop-color=\"" << kSlate.name() << "\"/></linearGradient></defs>\n"
        << "  <rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"44\" fill=\"url(#bg)\"/>\n";
    for (const Brick& brick : kEmblem) {
        for (const QRectF& stud : brick.studs) {
            out << "  <rect x=\"" << stud.x() << "\" y=\"" << stud.y() << "\" width=\"" << stud.width()
                << "\" height=\"" << stud.height() + 4 << "\" rx=\"4\" fill=\"" << brick.colour.name() << "\"/>\n";
        }
        out << "  <rect x=\"" << brick.body.x() << "\" y=\"" << brick.body.y() << "\" width=\"" << brick.body.width()
            << "\" height=\"" << brick.body.height() << "\" rx=\"6\" fill=\"" << brick.colour.name() << "\" stroke=\""
            << brick.colour.darker(175).name() << "\" stroke-width=\"3\"/>\n";
    }
    out << "</svg>\n";
    return svg;
}

// 400 x 32: the product name in light lettering at the left end of a dark strip, then a row of
// studs in the colours of the bricks.
QImage banner()
{
    QImage image(400, 32, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, 32);
    background.setColorAt(0, kSlateLight);
    background.setColorAt(1, kSlate);
    painter.fillRect(image.rect(), background);
    painter.setPen(kLight);
    painter.setFont(face(21, true));
    painter.drawText(QRect(12, 0, 160, 32), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Brikmux"));
    const QColor colours[] = {kRed, kYellow, kBlue, kGreen};
    for (int i = 0; i < 12; ++i) {
        const QColor colour = colours[i % 4];
        painter.setPen(QPen(colour.darker(140), 1));
        painter.setBrush(colour);
        painter.setOpacity(1.0 - i * 0.07);
        painter.drawEllipse(QRectF(118 + i * 16, 10, 11, 11));
    }
    return image;
}

// 100 x 97: the emblem in a disc, the makers' name under it.
QImage logo()
{
    QImage image(100, 97, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient disc(0, 4, 0, 76);
    disc.setColorAt(0, kSlateLight);
    disc.setColorAt(1, kSlate);
    painter.setPen(QPen(kSlate.darker(130), 2));
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(14, 3, 72, 72));
    drawEmblem(painter, {22, 9}, 56);
    painter.setPen(kSlate);
    painter.setFont(face(12, true));
    painter.drawText(QRect(0, 78, 100, 18), Qt::AlignCenter, QStringLiteral("brikmux team"));
    return image;
}

bool save(const QImage& image, const QString& path)
{
    if (!image.save(path)) {
        std::fprintf(stderr, "generate_artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Writes a Windows icon file holding each PNG as it is (a form Windows reads since Vista).
bool saveIco(const QStringList& pngs, const QString& path)
{
    QByteArray header;
    QByteArray images;
    auto put16 = [&header](int value) { header.append(char(value & 0xff)).append(char((value >> 8) & 0xff)); };
    auto put32 = [&](qsizetype value) {
        put16(int(value & 0xffff));
        put16(int((value >> 16) & 0xffff));
    };
    put16(0);
    put16(1); // an icon
    put16(int(pngs.size()));
    const qsizetype firstImage = 6 + 16 * pngs.size();
    for (const QString& png : pngs) {
        QFile file(png);
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        const QByteArray data = file.readAll();
        const QImage image = QImage::fromData(data);
        // Width and height in one byte each; 0 stands for 256.
        header.append(char(image.width() & 0xff)).append(char(image.height() & 0xff));
        header.append(char(0)).append(char(0)); // no palette, reserved
        put16(1);                               // colour planes
        put16(32);                              // bits per pixel
        put32(data.size());
        put32(firstImage + images.size());
        images.append(data);
    }
    QFile ico(path);
    if (!ico.open(QIODevice::WriteOnly) || ico.write(header + images) != header.size() + images.size()) {
        std::fprintf(stderr, "generate_artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_artwork OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    QStringList pngs;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        pngs << folder + QStringLiteral("/brikmux-%1.png").arg(size);
        ok = save(icon(size), pngs.back()) && ok;
    }
    ok = ok && saveIco(pngs, folder + "/brikmux.ico");
    ok = save(banner(), folder + "/banner.png") && ok;
    ok = save(logo(), folder + "/logo.png") && ok;
    QFile svg(folder + "/brikmux.svg");
    ok = svg.open(QIODevice::WriteOnly) && svg.write(iconSvg().toUtf8()) > 0 && ok;
    return ok ? 0 : 1;
}
