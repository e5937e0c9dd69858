#pragma once

// Grids for the tests: the archive window's grid settings on a shown, active form.

#include "grid/TAdvStringGrid.h"
#include "grid/TInplaceEdit.h"

#include <QTest>
#include <QWidget>

#include <memory>

namespace gridtest {

inline constexpr grid::TColor kArchiveColor = 0x00DEFEFB;

// Applies the archive window's grid settings.
inline void configureArchiveGrid(grid::GridControl& g) {
    using namespace grid;
    g.setColCount(2);
    g.setRowCount(2);
    g.setFixedCols(0);
    g.setDefaultRowHeight(18);
    g.setOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
                  goColSizing, goEditing, goAlwaysShowEditor});
    g.setScrollBars(TScrollStyle::ssVertical);
    g.setBorderStyle(TBorderStyle::bsNone);
    g.setColor(kArchiveColor);
    TFont title;
    title.Name = "MS Sans Serif";
    title.Height = -11;
    title.Charset = platform::DEFAULT_CHARSET;
    title.Color = clWindow;
    g.setTitleFont(title);
    g.setTitleColor(clGreen);
    g.setTitle3D(false);
    g.setLineColor(clGreen);
    TColumn& code = g.Columns().Add();
    code.setTitleCaption("核算单位编码");
    code.setWidth(4);
    TColumn& name = g.Columns().Add();
    name.setTitleCaption("核算单位名称");
    name.setWidth(150);
    g.setColWidths(0, 137);
    g.setColWidths(1, 155);
    g.setRowHeights(0, 19);
    g.setRowHeights(1, 18);
}

// A top-level form holding one grid, shown and active.
struct Form {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    grid::TAdvStringGrid* grid = new grid::TAdvStringGrid(window.get());

    explicit Form(bool archive = true, int width = 688, int height = 422) {
        window->resize(width + 20, height + 20);
        grid->setGeometry(0, 0, width, height);
        if (archive)
            configureArchiveGrid(*grid);
    }
    void show() {
        window->show();
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window.get());
        grid->setFocus();
        QCoreApplication::processEvents();
    }
    grid::TInplaceEdit* editor() const { return grid->InplaceEditor(); }
    // Where keys go: the editor when it has the focus, else the grid.
    QWidget* focus() const {
        if (editor() && editor()->hasFocus())
            return editor();
        return grid;
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(focus(), k, m);
    }
    void type(const QString& text) {
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, focus(), Qt::Key_unknown, QString(ch),
                                Qt::NoModifier);
    }
    QPoint cellCenter(int col, int row) const {
        const grid::TRect r = grid->CellBounds(col, row);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    void click(int col, int row) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cellCenter(col, row));
    }
};

} // namespace gridtest
