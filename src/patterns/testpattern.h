#pragma once

#include "testpatternhighlighter.h"

#include <QImage>
#include <QObject>
#include <QRect>
#include <QVector>

class QPainter;

namespace NSTESTPatter {

// Knows every test pattern of the program and paints the selected one into a
// rectangle through a painter owned by somebody else (the canvas, a tool, a test).
class TestPattern : public QObject
{
    Q_OBJECT
    Q_PROPERTY(tTestPattern type READ type WRITE setType NOTIFY typeChanged)

public:
    // The catalogue names patterns by these key texts, so neither the keys nor
    // their values may change.
    enum tTestPattern
    {
        kTestPatternUnknown = -1,
        kTestPatternEmpty = 0,
        kTestPatternDefault,
        kTestPatternGridOnlyTL,
        kTestPatternGridOnlyTR,
        kTestPatternGridOnlyBL,
        kTestPatternGridOnlyBR,
        kTestPatternGridOnlyCenter,
        kTestPatternGridOnlyAll,
        kTestPatternGridAndSRTL,
        kTestPatternGridAndSRTR,
        kTestPatternGridAndSRBL,
        kTestPatternGridAndSRBR,
        kTestPatternGridAndSRCenter,
        kTestPatternGridAndSRAll,
        kTestPatternGrayLevelAllLevels,
        kTestPatternGrayLevel05,
        kTestPatternGrayLevel595,
        kTestPatternGrayLevel10095,
        kTestPatternGrayLevel100,
        kTestPatternGrayLevel0,
        kTestPatternGrayLevel0100,
        kTestPatternBorder,
        kTestPatternAllLines,
        kTestPatternCircle,
        kTestPatternSpatialResolutionTL,
        kTestPatternSpatialResolutionTR,
        kTestPatternSpatialResolutionBL,
        kTestPatternSpatialResolutionBR,
        kTestPatternSpatialResolutionCenter,
        kTestPatternSpatialResolutionAll,
        kTestPatternSpatialResolutionHigh,
        kTestPatternSpatialResolutionLow,
        kTestPatternExternalImage,
        kTestPatternQualityWhite,
        kTestPatternQualityGrey,
        kTestPatternQualityBlack,
        kTestPatternQualityWhiteAndGrey,
        kTestPatternQualityGreyAndBlack,
        kTestPatternQualityWhiteAndBlack,
        kTestPatternQualityAll,
        kTestPatternGradients,
        kTestPatternBW,
        kTestPatternTG18MP,
        kTestPatternUN80,
        kTestPatternUN10,
        kTestPatternLN801,
        kTestPatternLN818,
        kTestPatternLuminanceLightTL,
        kTestPatternLuminanceDarkTL,
        kTestPatternLuminanceLightTC,
        kTestPatternLuminanceDarkTC,
        kTestPatternLuminanceLightTR,
        kTestPatternLuminanceDarkTR,
        kTestPatternLuminanceLightML,
        kTestPatternLuminanceDarkML,
        kTestPatternLuminanceLightMC,
        kTestPatternLuminanceDarkMC,
        kTestPatternLuminanceLightMR,
        kTestPatternLuminanceDarkMR,
        kTestPatternLuminanceLightBL,
        kTestPatternLuminanceDarkBL,
        kTestPatternLuminanceLightBC,
        kTestPatternLuminanceDarkBC,
        kTestPatternLuminanceLightBR,
        kTestPatternLuminanceDarkBR,
        kTestPatternLuminanceLightAll,
        kTestPatternLuminanceDarkAll,
        kTestPatternTG18LN01,
        kTestPatternTG18LN02,
        kTestPatternTG18LN03,
        kTestPatternTG18LN04,
        kTestPatternTG18LN05,
        kTestPatternTG18LN06,
        kTestPatternTG18LN07,
        kTestPatternTG18LN08,
        kTestPatternTG18LN09,
        kTestPatternTG18LN10,
        kTestPatternTG18LN11,
        kTestPatternTG18LN12,
        kTestPatternTG18LN13,
        kTestPatternTG18LN14,
        kTestPatternTG18LN15,
        kTestPatternTG18LN16,
        kTestPatternTG18LN17,
        kTestPatternTG18LN18,
        kTestPatternCount
    };
    Q_ENUM(tTestPattern)

    explicit TestPattern(QObject *parent = nullptr, tTestPattern type = kTestPatternEmpty);
    ~TestPattern() override;

    tTestPattern type() const { return m_type; }
    // 0 empty and external image, 1 grid only, 2 grid with flat zones, 3 everything else.
    int category() const { return m_category; }
    QRect rect() const { return m_rect; }
    double cellWidth() const { return m_cellWidth; }
    double cellHeight() const { return m_cellHeight; }

    const TestPatternHighlighter &highlighter() const { return m_highlighter; }
    int element() const { return m_highlighter.element(); }
    int position() const { return m_highlighter.position(); }
    int grayLevelIndex() const { return m_highlighter.grayLevelIndex(); }
    int qualityIndex() const { return m_highlighter.qualityIndex(); }

    // The value of a key text, or kTestPatternUnknown; exact, case-sensitive match.
    static tTestPattern typeFromString(const QString &key);
    // The key text of a value; empty for values outside the enumeration.
    static QString typeToString(tTestPattern type);

    // What the operator judges or measures on the current pattern drawn at that
    // size: the outlined elements of the composite pattern, its border, the
    // TG18-LN patch, the luminance fields. Empty where the whole screen is judged.
    QVector<QRect> judgedRegions(const QSize &size) const;
    // The driving level of the field measured on a TG18-LN or luminance-field
    // pattern, and which of them it is: the TG18-LN number less one (0-17), or the
    // field's position (0-8 from top left, row by row; 9 for all). -1 for others.
    int measuredLevel() const;
    // The driving level of the light or the dark uniformity fields: every text
    // that names the level (dialog, report, export) asks here, where it is painted.
    static int uniformityLevel(bool dark);
    int measuredPosition() const;

    // A TG18-LN pattern whose patch shows any driving level, as the
    // calibration measures a display's response.
    static void paintTg18Ln(QPainter *painter, const QRect &rect, int level);

    void setRect(const QRect &rect);
    // Draws the current pattern into a new opaque image of the given size, the
    // way a canvas of that size shows it.
    QImage toImage(const QSize &size);
    void setPainter(QPainter *painter);
    void paint(QPainter *painter);
    void draw();

public Q_SLOTS:
    void setType(NSTESTPatter::TestPattern::tTestPattern type);
    void setTypeString(const QString &key);

Q_SIGNALS:
    void typeChanged(NSTESTPatter::TestPattern::tTestPattern type);

private:
    const QImage &demoImage();
    void applyHighlighterFor(tTestPattern type);
    void fill(int grey);
    static QRect tg18LnPatch(const QSize &size);
    void drawTg18Ln(int level);
    QVector<QRect> luminanceCircles(const QSize &size) const;
    void drawLuminanceFields();
    void drawExternalImage();
    void drawTg18Mp();

    QImage *m_demoImage = nullptr;
    QPainter *m_painter = nullptr;
    double m_usableWidth = 0.0;
    double m_usableHeight = 0.0;
    double m_cellWidth = 0.0;
    double m_cellHeight = 0.0;
    QRect m_rect;
    TestPatternHighlighter m_highlighter;
    tTestPattern m_type;
    int m_category = 0;
    // The TG18-MP pattern as last drawn, reused while the size stays the same.
    QImage m_tg18MpFrame;
};

} // namespace NSTESTPatter
