#pragma once
#include <QColor>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <optional>
#include <utility>

class QChart;
class QPainter;
class QChartView;

namespace kelvora {

// A colour from components as the callers pass them: each is clamped into
// 0..255, so (0, 400, 0) is pure green and (0, 0, 500) pure blue.
QColor chartColor(int red, int green, int blue);

// One point of a chart: its category-axis label and its value.
struct ChartPoint {
    QString label;
    double value = 0;
};

// The one chart component every chart of the program uses: a single series
// of rows, each with a value and a category-axis label, drawn as a line or as
// bars. The Qt Charts types stay inside; callers see rows, labels and values.
//
// Points are best loaded in one call (setPoints). Row/Data edits are
// collected and drawn together once control returns to the event loop (or at
// flush()), so a chart repaints once per load however many rows changed.
class ChartView : public QWidget {
    Q_OBJECT
public:
    enum class Style { Line, Bars };
    explicit ChartView(Style style = Style::Line, QWidget* parent = nullptr);
    ~ChartView() override;

    // Text above the plot; the empty text shows no title.
    void setTitle(const QString& title);
    QString title() const;
    void setCategoryAxisTitle(const QString& title);
    void setValueAxisTitle(const QString& title);
    QString categoryAxisTitle() const;
    QString valueAxisTitle() const;

    // 0 discards the series and its data (rows and their labels stay);
    // 1 then gives one empty series. Other counts are taken as 1.
    void setColumnCount(int count);
    int columnCount() const { return columns_; }
    // On, an empty series is filled with generated sample values, as a chart
    // control shows at design time. Off (the default) it stays empty.
    void setRandomFill(bool on) { randomFill_ = on; }

    void setRowCount(int rows);
    int rowCount() const { return int(rows_.size()); }
    // Selects the row (1-based) that the next setData or setRowLabel refers
    // to; a row beyond the count grows the count. Rows below 1 are ignored.
    void setRow(int row);
    int row() const { return row_; }
    // The value of the selected row, given as the text of a number.
    void setData(const QString& number);
    void setRowLabel(const QString& label);

    // Loads every row at once: the rows become exactly these points. With a
    // series present (column count 1) it is drawn at once.
    void setPoints(const QList<ChartPoint>& points);
    // The rows that hold a value, in order (what the chart shows).
    QList<ChartPoint> points() const;
    // The value of a row (1-based), nothing when it has none.
    std::optional<double> value(int row) const;
    QString rowLabel(int row) const;

    // Line colour of the series (bar outline in bar style).
    void setPenColor(int red, int green, int blue);
    QColor penColor() const { return pen_; }
    // Fill of all points of the series (the bars in bar style).
    void setPointFillColor(int red, int green, int blue);
    QColor pointFillColor() const { return fill_; }

    // Value-axis scale. Auto fits the axis to the data; setting a minimum
    // or maximum switches Auto off, as does setValueAxisAuto(false).
    void setValueAxisAuto(bool on);
    bool valueAxisAuto() const { return auto_; }
    void setValueAxisMinimum(double minimum);
    void setValueAxisMaximum(double maximum);
    double valueAxisMinimum() const;
    double valueAxisMaximum() const;

    // At most this many row labels are written on the category axis, evenly
    // spread, so that long series (a 14-day history) stay legible; 0 shows none.
    void setCategoryLabelLimit(int labels);
    // On, the labels are spread back from the newest row, which is always
    // labelled, and the chart keeps room at its right for that label (a bar
    // graph whose newest bars matter most). Off, they spread from the oldest.
    void setCategoryLabelsFromNewest(bool on);
    // Turns the category labels (for long time stamps on a history chart).

    // The chart's current picture, and the same put on the clipboard.
    QPixmap picture();
    void copyToClipboard();
    // Draws the chart as it shows now into `target` of a painter, as lines
    // and text (a printer gets its full resolution, not a screen picture).
    void renderChart(QPainter& painter, const QRectF& target);

    // Draws pending Row/Data edits now (the event loop does it otherwise).
    void flush();
    // How many times the series was loaded into the chart (for the tests of
    // the one-load-per-change rule).
    int loadCount() const { return loads_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Row {
        std::optional<double> value;
        QString label;
    };
    void createSeries();
    void loadSeries();
    void loadCategoryLabels();
    void fitValueAxis();
    int labelsThatFit() const;
    QList<int> labelledRowsToShow(const QList<int>& labelled, int limit) const;
    void keepRoomForTheNewestLabel(const QList<int>& shown);
    void scheduleLoad();

    Style style_;
    QChart* chart_ = nullptr;
    QChartView* view_ = nullptr;
    class Axes;
    Axes* axes_ = nullptr;
    QList<Row> rows_;
    int row_ = 1;
    int columns_ = 1;
    bool randomFill_ = false;
    QColor pen_ = Qt::blue;
    QColor fill_ = Qt::blue;
    bool auto_ = true;
    // The fit last applied: the 1-2-5 grid its values fell on and the range
    // it gave the axis. Values that fall on the same grid and inside that
    // range leave the axis as it is: every new range lays the axes out anew,
    // and the waveforms change every two seconds.
    struct Fit {
        std::pair<double, double> grid;
        std::pair<double, double> axis;
    };
    std::optional<Fit> fitted_;
    double minimum_ = 0;
    double maximum_ = 1;
    int labelLimit_ = 10;
    bool labelsFromNewest_ = false;
    // The labels last put on the axis: rebuilding them costs far more than
    // the points, and most loads (a waveform every reading set) keep them.
    QList<std::pair<QString, double>> shownLabels_;
    bool loadPending_ = false;
    int loads_ = 0;
};

}  // namespace kelvora
