#pragma once

#include <QObject>

namespace NSTESTPatter {

// Which part of the composite pattern the current test asks about; -1 means "nothing".
class TestPatternHighlighter : public QObject
{
    Q_OBJECT

public:
    // Codes of element().
    enum Element
    {
        GrayLevels = 0,
        Border = 1,
        GridLines = 2,
        Circle = 3,
        GridAndResolutionZone = 4,
        HighContrastResolution = 5,
        LowContrastResolution = 6,
        QualityBoxes = 7,
        Gradients = 8,
        BlackAndWhiteBars = 9,
    };
    // Codes of position().
    enum Position
    {
        Centre = 0,
        TopLeft = 1,
        TopRight = 2,
        BottomLeft = 3,
        BottomRight = 4,
        AllPositions = 5,
    };

    explicit TestPatternHighlighter(QObject *parent = nullptr);

    int element() const { return m_element; }
    void setElement(int element) { m_element = element; }
    int position() const { return m_position; }
    void setPosition(int position) { m_position = position; }
    int grayLevelIndex() const { return m_grayLevelIndex; }
    void setGrayLevelIndex(int index) { m_grayLevelIndex = index; }
    int qualityIndex() const { return m_qualityIndex; }
    void setQualityIndex(int index) { m_qualityIndex = index; }

private:
    int m_element = -1;
    int m_position = -1;
    int m_grayLevelIndex = -1;
    int m_qualityIndex = -1;
};

} // namespace NSTESTPatter
