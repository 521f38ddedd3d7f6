// The program's pictures, drawn rather than shipped as files.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace zc::fp {

enum class ToolbarImage { Start, Stop, About };

QPixmap ToolbarPixmap(ToolbarImage image);  // 16 x 16, blue on grey
QPixmap ChartGrid(int width, int height);   // white with a 10 x 10 grid of light grey lines
QPixmap ChartRecordGrid();                  // 584 x 337, black with a 10 x 10 dark cyan grid
QPixmap ChartMark();                        // red right-pointing triangle, 12 x 19
QIcon ProgramIcon();

}  // namespace zc::fp
