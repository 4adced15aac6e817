// Prints a data grid's list as the grid shows it: its visible columns in
// their order, with their titles and their widths in proportion, and every
// record of its dataset in the order listed (so filtered and sorted as on
// screen), each cell in the text colour the grid's OnDrawCellAttr gives it.
// A title line heads the first page, the column titles every page, and each
// page is numbered at its foot.
#pragma once

#include <QString>

class QPagedPaintDevice;

namespace notarra {

class TVelaCustomDBGrid;

// Paints the pages on device (a printer, a PDF writer, a print preview).
// The dataset's current record is the same afterwards. Returns the number
// of pages.
int PrintGridList(TVelaCustomDBGrid* grid, QPagedPaintDevice* device, const QString& title);

}  // namespace notarra
