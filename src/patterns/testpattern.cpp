#include "testpattern.h"

#include "compositepatternpainter.h"
#include "greylevel.h"
#include "tg18mppatternpainter.h"

#include <QDebug>
#include <QImage>
#include <QMetaEnum>
#include <QPainter>
#include <QPen>
#include <QRegion>

namespace NSTESTPatter {

namespace {

const int kBackgroundGrey = 129;
const int kTg18LnSurroundGrey = 153;
const int kLightGrey = 204;
const int kUniform10Grey = 26;

// Decoding the photograph takes far longer than drawing any pattern, so every
// pattern object shares one decoded copy.
const QImage &sharedDemoImage()
{
    static const QImage image(QStringLiteral(":/assets/demo"));
    return image;
}

bool isLuminanceField(TestPattern::tTestPattern type)
{
    return type >= TestPattern::kTestPatternLuminanceLightTL && type <= TestPattern::kTestPatternLuminanceDarkAll;
}

bool isTg18Ln(TestPattern::tTestPattern type)
{
    return type >= TestPattern::kTestPatternTG18LN01 && type <= TestPattern::kTestPatternTG18LN18;
}

// The grid-only, grid-and-resolution and resolution families have six variants
// each, in the same order: TL, TR, BL, BR, Center, All. Gives 0 to 5, or -1.
int zoneVariantOf(TestPattern::tTestPattern type)
{
    for (int first : {TestPattern::kTestPatternGridOnlyTL, TestPattern::kTestPatternGridAndSRTL,
                      TestPattern::kTestPatternSpatialResolutionTL}) {
        if (type >= first && type <= first + 5)
            return type - first;
    }
    return -1;
}

int categoryOf(TestPattern::tTestPattern type)
{
    if (type == TestPattern::kTestPatternEmpty || type == TestPattern::kTestPatternExternalImage)
        return 0;
    if (type >= TestPattern::kTestPatternGridOnlyTL && type <= TestPattern::kTestPatternGridOnlyCenter)
        return 1;
    if (type >= TestPattern::kTestPatternGridAndSRTL && type <= TestPattern::kTestPatternGridAndSRCenter)
        return 2;
    return 3;
}

} // namespace

TestPattern::TestPattern(QObject *parent, tTestPattern type) : QObject(parent), m_type(type)
{
    // Queued connections and string-based ones name the type in signatures.
    qRegisterMetaType<tTestPattern>();
}

TestPattern::~TestPattern()
{
    delete m_demoImage;
}

TestPattern::tTestPattern TestPattern::typeFromString(const QString &key)
{
    const QMetaEnum metaEnum = QMetaEnum::fromType<tTestPattern>();
    if (!metaEnum.isValid() || key.isEmpty())
        return kTestPatternUnknown;
    bool found = false;
    const int value = metaEnum.keyToValue(key.toLocal8Bit().constData(), &found);
    return found ? tTestPattern(value) : kTestPatternUnknown;
}

QString TestPattern::typeToString(tTestPattern type)
{
    return QString::fromLatin1(QMetaEnum::fromType<tTestPattern>().valueToKey(type));
}

void TestPattern::setTypeString(const QString &key)
{
    setType(typeFromString(key));
}

void TestPattern::setType(tTestPattern type)
{
    m_type = type;
    m_category = categoryOf(type);
    applyHighlighterFor(type);
    draw();
    Q_EMIT typeChanged(type);
}

void TestPattern::applyHighlighterFor(tTestPattern type)
{
    int element = -1;
    int position = -1;
    int grayLevelIndex = -1;
    int qualityIndex = -1;

    static const int zonePositions[] = {TestPatternHighlighter::TopLeft,    TestPatternHighlighter::TopRight,
                                        TestPatternHighlighter::BottomLeft, TestPatternHighlighter::BottomRight,
                                        TestPatternHighlighter::Centre,     TestPatternHighlighter::AllPositions};
    const int zone = zoneVariantOf(type);
    if (zone >= 0) {
        element = TestPatternHighlighter::GridAndResolutionZone;
        position = zonePositions[zone];
    } else if (type >= kTestPatternGrayLevelAllLevels && type <= kTestPatternGrayLevel0100) {
        element = TestPatternHighlighter::GrayLevels;
        grayLevelIndex = type - kTestPatternGrayLevelAllLevels;
    } else if (type >= kTestPatternQualityWhite && type <= kTestPatternQualityAll) {
        element = TestPatternHighlighter::QualityBoxes;
        qualityIndex = type - kTestPatternQualityWhite;
    } else {
        switch (type) {
        case kTestPatternBorder:
            element = TestPatternHighlighter::Border;
            break;
        case kTestPatternAllLines:
            element = TestPatternHighlighter::GridLines;
            break;
        case kTestPatternCircle:
            element = TestPatternHighlighter::Circle;
            break;
        case kTestPatternSpatialResolutionHigh:
            element = TestPatternHighlighter::HighContrastResolution;
            position = TestPatternHighlighter::AllPositions;
            break;
        case kTestPatternSpatialResolutionLow:
            element = TestPatternHighlighter::LowContrastResolution;
            position = TestPatternHighlighter::AllPositions;
            break;
        case kTestPatternGradients:
            element = TestPatternHighlighter::Gradients;
            break;
        case kTestPatternBW:
            element = TestPatternHighlighter::BlackAndWhiteBars;
            break;
        default:
            break;
        }
    }

    m_highlighter.setElement(element);
    m_highlighter.setPosition(position);
    m_highlighter.setGrayLevelIndex(grayLevelIndex);
    m_highlighter.setQualityIndex(qualityIndex);
}

void TestPattern::setRect(const QRect &rect)
{
    m_rect = rect;
    const int width = rect.width();
    const int height = rect.height();
    qDebug().nospace().noquote() << "[SETRECT] width: " << width << " - Height: " << height;
    // A 6-pixel margin on each side; the composite pattern is a 12 x 12 grid inside it.
    m_usableWidth = width - 12.0;
    m_usableHeight = height - 12.0;
    m_cellWidth = m_usableWidth / 12.0;
    m_cellHeight = m_usableHeight / 12.0;
}

QImage TestPattern::toImage(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    QPainter painter(&image);
    setRect(image.rect());
    paint(&painter);
    setPainter(nullptr);
    return image;
}

void TestPattern::setPainter(QPainter *painter)
{
    m_painter = painter;
}

void TestPattern::paint(QPainter *painter)
{
    setPainter(painter);
    draw();
}

void TestPattern::draw()
{
    if (!m_painter)
        return;

    // Every pattern is exact to the pixel; smoothing belongs only to the
    // luminance circles, which turn it on for themselves.
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing, false);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    fill(kBackgroundGrey);

    if (isLuminanceField(m_type)) {
        drawLuminanceFields();
    } else if (isTg18Ln(m_type)) {
        drawTg18Ln(measuredLevel());
    } else {
        switch (m_type) {
        case kTestPatternEmpty:
            break;
        case kTestPatternExternalImage:
            drawExternalImage();
            break;
        case kTestPatternTG18MP:
            drawTg18Mp();
            break;
        case kTestPatternUN80:
            fill(kLightGrey);
            break;
        case kTestPatternUN10:
            fill(kUniform10Grey);
            break;
        default:
            CompositePatternPainter(m_painter, m_rect, m_cellWidth, m_cellHeight, m_category, m_highlighter).paint();
            break;
        }
    }
    m_painter->restore();
}

void TestPattern::fill(int grey)
{
    m_painter->fillRect(m_rect, greyLevel(grey));
}

QRect TestPattern::tg18LnPatch(const QSize &size)
{
    // W - 12 is a whole number already, so rounding it changes nothing; the
    // divisions truncate.
    const int a = (size.width() - 12) / 3;
    const int b = (size.height() - 12) / 3;
    return QRect(QPoint(a, b), QPoint(2 * a - 1, 2 * b - 1));
}

void TestPattern::paintTg18Ln(QPainter *painter, const QRect &rect, int level)
{
    painter->fillRect(rect, greyLevel(kTg18LnSurroundGrey));
    painter->fillRect(tg18LnPatch(rect.size()), greyLevel(level));
}

void TestPattern::drawTg18Ln(int level)
{
    paintTg18Ln(m_painter, m_rect, level);
}

QVector<QRect> TestPattern::luminanceCircles(const QSize &size) const
{
    QVector<QRect> circles;
    if (!isLuminanceField(m_type))
        return circles;
    const int diameter = qMin(size.width() / 3, size.height() / 3);
    const double radius = diameter / 2.0;
    const int quarterX = size.width() / 4;
    const int quarterY = size.height() / 4;
    // Light and Dark alternate, so half the offset from the first key gives the
    // position; the tenth position is all nine.
    const int position = (m_type - kTestPatternLuminanceLightTL) / 2;
    for (int index = 0; index < 9; ++index) {
        if (position != 9 && index != position)
            continue;
        const int centreX = (index % 3 + 1) * quarterX;
        const int centreY = (index / 3 + 1) * quarterY;
        circles << QRect(int(centreX - radius), int(centreY - radius), diameter, diameter);
    }
    return circles;
}

void TestPattern::drawLuminanceFields()
{
    m_painter->setRenderHint(QPainter::Antialiasing, true);
    m_painter->setBrush(greyLevel(measuredLevel()));
    m_painter->setPen(QPen(QBrush(Qt::black), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    for (const QRect &circle : luminanceCircles(m_rect.size()))
        m_painter->drawEllipse(circle);
    m_painter->setRenderHint(QPainter::Antialiasing, false);
}

int TestPattern::measuredLevel() const
{
    if (isTg18Ln(m_type))
        return 15 * (m_type - kTestPatternTG18LN01);
    // Light and Dark alternate, Light first.
    if (isLuminanceField(m_type))
        return uniformityLevel((m_type - kTestPatternLuminanceLightTL) % 2 != 0);
    return -1;
}

// The dark fields are the pattern set's uniform-10 grey, about a tenth of the
// driving range as a TG18-UNL10 field: black would measure the meter's noise.
int TestPattern::uniformityLevel(bool dark)
{
    return dark ? kUniform10Grey : kLightGrey;
}

int TestPattern::measuredPosition() const
{
    if (isTg18Ln(m_type))
        return m_type - kTestPatternTG18LN01;
    if (isLuminanceField(m_type))
        return (m_type - kTestPatternLuminanceLightTL) / 2;
    return -1;
}

QVector<QRect> TestPattern::judgedRegions(const QSize &size) const
{
    if (isTg18Ln(m_type))
        return {tg18LnPatch(size)};
    if (isLuminanceField(m_type))
        return luminanceCircles(size);
    QVector<QRect> regions;
    if (m_type == kTestPatternEmpty || m_type == kTestPatternExternalImage || m_type == kTestPatternTG18MP ||
        m_type == kTestPatternUN80 || m_type == kTestPatternUN10)
        return regions;
    const CompositePatternPainter composite(nullptr, QRect(QPoint(), size), (size.width() - 12) / 12.0,
                                            (size.height() - 12) / 12.0, m_category, m_highlighter);
    // The area inside each outline (the arch of the grey levels is three bars, not
    // the box round them); its 2-pixel pen reaches one pixel beyond the corner points.
    for (const QPolygon &outline : composite.highlightOutlines()) {
        const QRegion inside(outline, Qt::OddEvenFill);
        for (const QRect &part : inside)
            regions << part.adjusted(-1, -1, 1, 1);
    }
    // The border is judged along all four edges of the screen.
    if (m_highlighter.element() == TestPatternHighlighter::Border) {
        const int band = 2;
        regions << QRect(0, 0, size.width(), band) << QRect(0, size.height() - band, size.width(), band)
                << QRect(0, 0, band, size.height()) << QRect(size.width() - band, 0, band, size.height());
    }
    return regions;
}

void TestPattern::drawTg18Mp()
{
    // Sixteen diagonal ramps cost a gradient evaluation for nearly every pixel
    // of the screen, so they are drawn once per size and copied on later paints.
    // A scaled painter (a high-density screen) gets them drawn directly, at its
    // own resolution.
    const bool plainPixels =
        m_painter->deviceTransform().isIdentity() && m_painter->device()->devicePixelRatioF() == 1.0;
    if (!plainPixels) {
        Tg18MpPatternPainter(m_painter, m_usableWidth, m_cellHeight).paint();
        return;
    }
    if (m_tg18MpFrame.size() != m_rect.size()) {
        m_tg18MpFrame = QImage(m_rect.size(), QImage::Format_RGB32);
        m_tg18MpFrame.fill(greyLevel(kBackgroundGrey));
        QPainter framePainter(&m_tg18MpFrame);
        Tg18MpPatternPainter(&framePainter, m_usableWidth, m_cellHeight).paint();
    }
    m_painter->drawImage(m_rect.topLeft(), m_tg18MpFrame);
}

const QImage &TestPattern::demoImage()
{
    if (!m_demoImage)
        m_demoImage = new QImage(sharedDemoImage());
    return *m_demoImage;
}

void TestPattern::drawExternalImage()
{
    const QImage &image = demoImage();
    QRect target(QPoint(0, 0), image.size().scaled(m_rect.size(), Qt::KeepAspectRatio));
    target.moveCenter(QPoint((m_rect.left() + m_rect.right()) / 2, (m_rect.top() + m_rect.bottom()) / 2));
    m_painter->fillRect(m_rect, Qt::black);
    if (!image.isNull())
        m_painter->drawImage(target, image);
}

} // namespace NSTESTPatter
