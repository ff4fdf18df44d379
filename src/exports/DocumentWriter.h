#pragma once

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <vector>

namespace id {

// A report's text written top to bottom with a cursor: headings, lines, tables with aligned
// columns and objects that a layout handler paints. The text is laid out once, when the writer is
// done: laid out after each cell, a long table would take minutes.
class DocumentWriter {
public:
    // The layout takes margins, paddings and borders in pixels of 96 to the inch whatever the
    // device.
    static constexpr double Pt = 96.0 / 72.0;

    // cellPadding in points; the header row of a table comes again on every page.
    DocumentWriter(QTextDocument& doc, double cellPadding) : cursor_(&doc), padding_(cellPadding) {
        cursor_.beginEditBlock();
    }
    ~DocumentWriter() { cursor_.endEditBlock(); }
    DocumentWriter(const DocumentWriter&) = delete;
    DocumentWriter& operator=(const DocumentWriter&) = delete;

    void heading(const QString& text, double points) {
        QTextBlockFormat block;
        block.setTopMargin(points * 0.8 * Pt);
        block.setBottomMargin(points * 0.3 * Pt);
        QTextCharFormat chars;
        chars.setFontPointSize(points);
        chars.setFontWeight(QFont::Bold);
        startBlock(block);
        cursor_.insertText(text, chars);
    }
    void line(const QString& text) {
        startBlock(QTextBlockFormat());
        cursor_.insertText(text, QTextCharFormat());
    }
    // Columns as wide as the percentages given.
    void table(const QStringList& header, const std::vector<QStringList>& rows,
               const std::vector<double>& percents) {
        QTextTableFormat format;
        format.setHeaderRowCount(1);
        format.setCellPadding(padding_ * Pt);
        format.setCellSpacing(0);
        format.setBorder(0.75 * Pt);
        format.setBorderBrush(QColor(0x80, 0x80, 0x80));
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        QList<QTextLength> widths;
        double whole = 0;
        for (const double percent : percents) {
            widths << QTextLength(QTextLength::PercentageLength, percent);
            whole += percent;
        }
        format.setColumnWidthConstraints(widths);
        format.setWidth(QTextLength(QTextLength::PercentageLength, whole));
        QTextTable* t = cursor_.insertTable(static_cast<int>(rows.size()) + 1,
                                            static_cast<int>(header.size()), format);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        for (int c = 0; c < header.size(); ++c)
            t->cellAt(0, c).firstCursorPosition().insertText(header[c], bold);
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size() && c < header.size(); ++c)
                t->cellAt(static_cast<int>(r) + 1, c).firstCursorPosition().insertText(rows[r][c]);
        cursor_.movePosition(QTextCursor::End);
    }
    // Objects painted by the layout's handler of their format's type, side by side in a
    // paragraph of their own.
    void objects(const std::vector<QTextCharFormat>& formats, double topMargin,
                 double bottomMargin) {
        QTextBlockFormat block;
        block.setTopMargin(topMargin * Pt);
        block.setBottomMargin(bottomMargin * Pt);
        startBlock(block);
        for (std::size_t i = 0; i < formats.size(); ++i) {
            if (i > 0)
                cursor_.insertText(QStringLiteral("   "));
            cursor_.insertText(QString(QChar::ObjectReplacementCharacter), formats[i]);
        }
    }

private:
    void startBlock(const QTextBlockFormat& format) {
        if (first_)
            cursor_.setBlockFormat(format);
        else
            cursor_.insertBlock(format);
        first_ = false;
    }

    QTextCursor cursor_;
    double padding_;
    bool first_ = true;
};

// Lays the document out on pages of the writer and paints them, starting a new page first
// unless this is the document's first.
inline void paintPages(QTextDocument& doc, QPdfWriter& pdf, QPainter& painter, bool& firstPage) {
    const QSizeF page(pdf.width(), pdf.height());
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (!firstPage)
            pdf.newPage();
        firstPage = false;
        painter.save();
        const QRectF area(0, i * page.height(), page.width(), page.height());
        painter.translate(0, -area.top());
        painter.setClipRect(area);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = area;
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
    }
}

} // namespace id
