// Quality check plots (see QcPlots.h).
#include "qcplot/QcPlots.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QPolarChart>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace kelvrant::qcplot {
namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 750;

QString SatName(const SatelliteId& id) {
    return QString("%1%2").arg(QChar(id.Letter())).arg(id.number, 2, 10, QChar('0'));
}

QScatterSeries* Scatter(const QString& name, const QColor& colour, double size,
                        QScatterSeries::MarkerShape shape = QScatterSeries::MarkerShapeCircle) {
    auto* s = new QScatterSeries;
    s->setName(name);
    s->setColor(colour);
    s->setBorderColor(colour);
    s->setMarkerSize(size);
    s->setMarkerShape(shape);
    return s;
}

std::unique_ptr<QChart> NewChart(const QString& title, bool polar = false) {
    std::unique_ptr<QChart> chart(polar ? new QPolarChart : new QChart);
    chart->setTitle(title);
    QFont f = chart->titleFont();
    f.setPointSize(13);
    f.setBold(true);
    chart->setTitleFont(f);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setBackgroundBrush(Qt::white);
    return chart;
}

QValueAxis* ValueAxis(const QString& title, double min, double max, int ticks,
                      const char* format = "%.0f") {
    auto* a = new QValueAxis;
    a->setTitleText(title);
    a->setRange(min, max);
    a->setTickCount(ticks);
    a->setLabelFormat(format);
    return a;
}

// Signal strength classes for the colours of the sky plot, in receiver units.
struct SnrClass {
    double below;
    QString label;
    QColor colour;
};

std::vector<SnrClass> SnrClasses(const qc::QcSummary& q) {
    // Five classes spread over the range met in the session, so every receiver's units show.
    double lo = 1e9, hi = -1e9;
    for (const auto& s : q.satellites)
        for (const auto& p : s.track)
            if (!std::isnan(p.snr1)) {
                lo = std::min(lo, static_cast<double>(p.snr1));
                hi = std::max(hi, static_cast<double>(p.snr1));
            }
    if (lo > hi) lo = hi = 0.0;
    const double step = std::max(1.0, std::ceil((hi - lo) / 5.0));
    const QColor colours[5] = {QColor(215, 48, 39), QColor(252, 141, 89), QColor(230, 200, 60),
                               QColor(145, 191, 219), QColor(69, 117, 180)};
    std::vector<SnrClass> classes;
    for (int i = 0; i < 5; ++i) {
        const double from = std::floor(lo) + i * step;
        const double to = from + step;
        classes.push_back({i == 4 ? 1e9 : to,
                           i == 4 ? QString("SNR %1 and above").arg(from)
                                  : QString("SNR %1 - %2").arg(from).arg(to),
                           colours[i]});
    }
    return classes;
}

std::unique_ptr<QChart> SkyPlot(const qc::QcSummary& q) {
    auto chart = NewChart(QString("Sky plot %1 - tracks coloured by L1 signal strength")
                              .arg(QString::fromStdString(q.fileName)),
                          true);
    auto* polar = static_cast<QPolarChart*>(chart.get());
    const auto classes = SnrClasses(q);
    std::vector<QScatterSeries*> series;
    for (const auto& c : classes)
        series.push_back(Scatter(c.label, c.colour, 4.0));
    auto* unknown = Scatter("SNR unknown", Qt::gray, 4.0);
    for (const auto& s : q.satellites) {
        for (const auto& p : s.track) {
            if (std::isnan(p.elevation) || p.elevation < 0.0f) continue;
            QScatterSeries* target = unknown;
            if (!std::isnan(p.snr1)) {
                for (std::size_t i = 0; i < classes.size(); ++i)
                    if (p.snr1 < classes[i].below) {
                        target = series[i];
                        break;
                    }
            }
            target->append(p.azimuth, 90.0 - p.elevation);
        }
    }
    auto* angular =
        ValueAxis("Azimuth (deg, north up, east right); rings: elevation (deg)", 0.0, 360.0, 9);
    // Radial: zenith in the centre, the horizon on the rim; labelled as elevation.
    auto* radial = new QCategoryAxis;
    radial->setRange(0.0, 90.0);
    radial->setStartValue(0.0);
    for (int el = 60; el >= 0; el -= 30)
        radial->append(QString("%1 deg").arg(el), 90.0 - el);
    radial->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    polar->addAxis(angular, QPolarChart::PolarOrientationAngular);
    polar->addAxis(radial, QPolarChart::PolarOrientationRadial);
    series.push_back(unknown);
    for (auto* s : series) {
        chart->addSeries(s);
        s->attachAxis(angular);
        s->attachAxis(radial);
        if (s->count() == 0) chart->legend()->markers(s).front()->setVisible(false);
    }
    // Satellite names where each track first rises into view.
    for (const auto& s : q.satellites) {
        for (const auto& p : s.track) {
            if (!std::isnan(p.elevation) && p.elevation >= 0.0f) {
                auto* label = Scatter(SatName(s.id), QColor(60, 60, 60), 1.0);
                label->append(p.azimuth, 90.0 - p.elevation);
                label->setPointLabelsVisible(true);
                label->setPointLabelsFormat(SatName(s.id));
                label->setPointLabelsClipping(false);
                chart->addSeries(label);
                label->attachAxis(angular);
                label->attachAxis(radial);
                chart->legend()->markers(label).front()->setVisible(false);
                break;
            }
        }
    }
    return chart;
}

std::unique_ptr<QChart> Availability(const qc::QcSummary& q) {
    auto chart =
        NewChart(QString("Satellite availability %1").arg(QString::fromStdString(q.fileName)));
    const double t0 = std::floor(q.firstTime / 86400.0) * 86400.0;
    const double hours0 = (q.firstTime - t0) / 3600.0;
    const double hours1 = std::max((q.lastTime - t0) / 3600.0, hours0 + 0.1);
    auto* x = ValueAxis(QString("Time (hours of %1, GPS time)")
                            .arg(QString::fromStdString(qc::TimeText(t0).substr(0, 10))),
                        std::floor(hours0), std::ceil(hours1), 9, "%.1f");
    auto* y = new QCategoryAxis;
    y->setTitleText("Satellite");
    const int rows = static_cast<int>(q.satellites.size());
    y->setRange(-0.5, rows - 0.5);
    y->setStartValue(-0.5);
    // The first satellite at the top.
    auto rowOf = [rows](int i) { return rows - 1 - i; };
    for (int i = rows - 1; i >= 0; --i)
        y->append(SatName(q.satellites[static_cast<std::size_t>(i)].id), rowOf(i) + 0.5);
    QFont small = y->labelsFont();
    small.setPointSize(7);
    y->setLabelsFont(small);
    y->setTruncateLabels(false);
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    y->setGridLineVisible(false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    bool firstGap = true;
    for (const auto& g : q.gaps) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        const double a = (g.start - t0) / 3600.0;
        const double b = (g.start + g.length - t0) / 3600.0;
        upper->append(a, rows - 0.5);
        upper->append(b, rows - 0.5);
        lower->append(a, -0.5);
        lower->append(b, -0.5);
        auto* area = new QAreaSeries(upper, lower);
        // The area draws its two edges but does not own them: they go with it.
        upper->setParent(area);
        lower->setParent(area);
        area->setName("data gap (no epoch)");
        area->setColor(QColor(250, 200, 200));
        area->setBorderColor(QColor(220, 120, 120));
        chart->addSeries(area);
        area->attachAxis(x);
        area->attachAxis(y);
        if (!firstGap) chart->legend()->markers(area).front()->setVisible(false);
        firstGap = false;
    }
    auto* slips =
        Scatter("cycle slip", QColor(200, 0, 0), 9.0, QScatterSeries::MarkerShapeTriangle);
    for (int i = 0; i < rows; ++i) {
        const auto& s = q.satellites[static_cast<std::size_t>(i)];
        const QColor colour =
            s.id.system == GnssSystem::kGps ? QColor(40, 90, 170) : QColor(30, 140, 80);
        for (const auto& [from, to] : s.arcs) {
            auto* line = new QLineSeries;
            line->setName(s.id.system == GnssSystem::kGps ? "tracked (GPS)" : "tracked (GLONASS)");
            QPen pen(colour);
            pen.setWidth(4);
            line->setPen(pen);
            line->append((from - t0) / 3600.0, rowOf(i));
            line->append((to - t0) / 3600.0 + 1e-4, rowOf(i));
            chart->addSeries(line);
            line->attachAxis(x);
            line->attachAxis(y);
            chart->legend()->markers(line).front()->setVisible(false);
        }
        for (const double t : s.slipTimes)
            slips->append((t - t0) / 3600.0, rowOf(i));
    }
    // One legend entry per system, drawn as an empty series of the system's colour.
    for (const auto& [name, colour] : {std::pair{"tracked (GPS)", QColor(40, 90, 170)},
                                       std::pair{"tracked (GLONASS)", QColor(30, 140, 80)}}) {
        auto* key = new QLineSeries;
        key->setName(name);
        QPen pen(colour);
        pen.setWidth(5);
        key->setPen(pen);
        chart->addSeries(key);
        key->attachAxis(x);
        key->attachAxis(y);
    }
    chart->addSeries(slips);
    slips->attachAxis(x);
    slips->attachAxis(y);
    return chart;
}

std::unique_ptr<QChart> VersusElevation(const qc::QcSummary& q, bool multipath) {
    auto chart =
        NewChart(multipath ? QString("Multipath MP1 / MP2 against elevation %1 (arc means removed)")
                                 .arg(QString::fromStdString(q.fileName))
                           : QString("Signal strength against elevation %1")
                                 .arg(QString::fromStdString(q.fileName)));
    auto* first = Scatter(multipath ? "MP1" : "SNR L1", QColor(40, 90, 170, 120), 3.0);
    auto* second = Scatter(multipath ? "MP2" : "SNR L2", QColor(230, 120, 20, 120), 3.0);
    double lo = 1e9, hi = -1e9;
    for (const auto& s : q.satellites) {
        for (const auto& p : s.track) {
            if (std::isnan(p.elevation)) continue;
            const float a = multipath ? p.mp1 : p.snr1;
            const float b = multipath ? p.mp2 : p.snr2;
            if (!std::isnan(a)) {
                first->append(p.elevation, a);
                lo = std::min(lo, static_cast<double>(a));
                hi = std::max(hi, static_cast<double>(a));
            }
            if (!std::isnan(b)) {
                second->append(p.elevation, b);
                lo = std::min(lo, static_cast<double>(b));
                hi = std::max(hi, static_cast<double>(b));
            }
        }
    }
    if (lo > hi) lo = hi = 0.0;
    if (multipath) {
        const double m = std::max({std::fabs(lo), std::fabs(hi), 0.05});
        lo = -m;
        hi = m;
    } else {
        lo = std::floor(lo / 5.0) * 5.0 - 5.0;
        hi = std::ceil(hi / 5.0) * 5.0 + 5.0;
    }
    auto* x = ValueAxis("Elevation (deg)", 0.0, 90.0, 10);
    auto* y = ValueAxis(multipath ? "Code multipath (m)" : "Signal-to-noise (receiver units)", lo,
                        hi, 9, multipath ? "%.2f" : "%.0f");
    y->applyNiceNumbers();
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    // The first band drawn last, on top.
    std::vector<QAbstractSeries*> all = {second, first};
    if (multipath) {
        // The RMS of each 10-degree bin, as the report lists it.
        for (int which = 0; which < 2; ++which) {
            auto* rms = new QLineSeries;
            rms->setName(which == 0 ? "MP1 RMS per 10 deg" : "MP2 RMS per 10 deg");
            QPen pen(which == 0 ? QColor(20, 50, 120) : QColor(170, 70, 0));
            pen.setWidth(3);
            if (which == 1) pen.setStyle(Qt::DashLine);
            rms->setPen(pen);
            const auto& bins = which == 0 ? q.mp1ByElevation : q.mp2ByElevation;
            for (int b = 0; b < qc::kElevationBins; ++b) {
                const auto& bin = bins[static_cast<std::size_t>(b)];
                if (bin.count > 0) rms->append(b * 10.0 + 5.0, bin.Rms());
            }
            all.push_back(rms);
        }
    }
    for (auto* s : all) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    return chart;
}

bool Save(QChart& chart, const QString& base, int height, std::string& error) {
    QGraphicsScene scene;
    scene.addItem(&chart);
    chart.setGeometry(0, 0, kWidth, height);
    scene.setSceneRect(0, 0, kWidth, height);
    QImage image(kWidth, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter);
    }
    bool ok = image.save(base + ".png", "PNG");
    if (ok) {
        QSvgGenerator svg;
        svg.setFileName(base + ".svg");
        svg.setSize(QSize(kWidth, height));
        svg.setViewBox(QRect(0, 0, kWidth, height));
        svg.setTitle(chart.title());
        QPainter painter;
        ok = painter.begin(&svg);
        if (ok) {
            scene.render(&painter);
            ok = painter.end();
        }
        ok = ok && QFile::exists(base + ".svg");
        if (!ok) error = "Cannot write the plot file.\n\n" + (base + ".svg").toStdString();
    } else {
        error = "Cannot write the plot file.\n\n" + (base + ".png").toStdString();
    }
    scene.removeItem(&chart);
    return ok;
}

}  // namespace

std::vector<QChart*> MakeCharts(const qc::QcSummary& summary) {
    return {SkyPlot(summary).release(), Availability(summary).release(),
            VersusElevation(summary, true).release(), VersusElevation(summary, false).release()};
}

namespace {

// Qt's notes on its surroundings (no runtime folder, fonts) are not the run's problems: while a
// headless run draws, only Qt's critical messages reach stderr.
void OnlyCriticalMessages(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// Sets the message handler for as long as it lives.
class MessageFilter {
  public:
    MessageFilter() : previous_(qInstallMessageHandler(OnlyCriticalMessages)) {}
    ~MessageFilter() { qInstallMessageHandler(previous_); }
    MessageFilter(const MessageFilter&) = delete;
    MessageFilter& operator=(const MessageFilter&) = delete;

  private:
    QtMessageHandler previous_;
};

}  // namespace

bool WritePlots(const qc::QcSummary& summary, const std::string& directory, std::string& error) {
    // Charts draw through widgets: without a running application, make one on the off-screen
    // platform for as long as the drawing takes.
    int argc = 1;
    char name[] = "kelvrant";
    char* argv[] = {name, nullptr};
    std::optional<MessageFilter> quiet;
    std::optional<QApplication> own;
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        quiet.emplace();
        own.emplace(argc, argv);
    }
    const QString dir = QString::fromStdString(directory);
    if (!QDir().mkpath(dir)) {
        error = "Cannot create the plot folder.\n\n" + directory;
        return false;
    }
    std::vector<std::unique_ptr<QChart>> charts;
    for (QChart* c : MakeCharts(summary))
        charts.emplace_back(c);
    // The availability chart grows with the satellites so that every row keeps its label.
    const int rows = static_cast<int>(summary.satellites.size());
    for (std::size_t i = 0; i < kPlotNames.size(); ++i) {
        const int height = i == 1 ? std::max(kHeight, 200 + 14 * rows) : kHeight;
        if (!Save(*charts[i], QDir(dir).filePath(QString::fromStdString(kPlotNames[i])), height,
                  error))
            return false;
    }
    return true;
}

}  // namespace kelvrant::qcplot
