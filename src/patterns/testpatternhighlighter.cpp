#include "testpatternhighlighter.h"

namespace NSTESTPatter {

TestPatternHighlighter::TestPatternHighlighter(QObject *parent) : QObject(parent) {}

} // namespace NSTESTPatter
