#include "flash/flashsession.h"
#include "flash/placement.h"
#include "flash/showing.h"
#include "library/messageitem.h"

#include <QPainter>
#include <QtTest>

#include <numeric>

class TestFlashSession : public QObject
{
    Q_OBJECT

private slots:
    void listIsOwnCheckedMessagesInTreeOrderThenPictures()
    {
        MessageItem root; // A { A1 { a, b, c, d } }, B { B1 { e } }; states 0, 1, 2: un-, partly, checked
        QList<MessageItem *> n{&root};
        const QList<int> parents{0, 1, 2, 2, 2, 2, 0, 7, 8}, states{0, 2, 2, 0, 1, 2, 0, 0, 2};
        for (int i = 0; i < parents.size(); ++i) {
            (n << new MessageItem).last()->setCheckState(states[i]);
            n[parents[i]]->addChild(n.last());
        }
        const auto load = [](const QString &fileName) { return QPixmap(fileName.size(), 5); };
        const QList<MessageItem *> first = FlashSession::build({}, root.children(), {"/p/1.png", "/p/22.png"}, load,
                                                               [i = 4]() mutable { return i--; });
        QCOMPARE(first.mid(0, 3), (QList<MessageItem *>{n[3], n[6], n[9]})); // j = i at every step keeps this order
        QCOMPARE(QList<int>({first.value(3)->pixmap().width(), first.value(4)->pixmap().width()}), QList<int>({8, 9}));
        QSignalSpy released(first[4], &QObject::destroyed), kept(n[3], &QObject::destroyed);
        FlashSession::build(first, {}, {}, load, {}); // the next session releases pictures, never a text entry
        QCOMPARE(QList<int>({released.count(), kept.count()}), QList<int>({1, 0}));
    }

    void shuffleIsFisherYatesFromTheBack()
    {
        MessageItem a, b, c, d;
        QList<MessageItem *> list{&a, &b, &c, &d};
        int calls = 0; // i=3: j=5%4=1 → a d c b; i=2: j=0 → c d a b; i=1: j=7%2=1 → unchanged; no draw for i=0
        FlashSession::shuffle(list, [&calls] { return QList<int>{5, 0, 7}.value(calls++); });
        QCOMPARE(list, (QList<MessageItem *>{&c, &d, &a, &b}));
        QCOMPARE(calls, 3);
    }

    void placementTruncatesAndStaysOnScreen()
    {
        // Screen origin and size, widget size, r1 (picks y), r2 (picks x) → centre, top, bottom, random.
        for (const auto &[in, out] : QList<QPair<QList<int>, QList<QPoint>>>{
                 {{0, 0, 1920, 1080, 201, 50, 1031, 1719}, {{860, 515}, {860, 83}, {860, 922}, {1719, 0}}},
                 {{0, 0, 1366, 768, 200, 50, 0, 0}, {{583, 359}, {583, 51}, {583, 642}, {0, 0}}},
                 {{0, 0, 100, 100, 301, 31, 30, 99999}, {{-100, 35}, {-100, -5}, {-100, 59}, {0, 30}}},
                 {{0, 0, 800, 600, 100, 900, 99999, 702}, {{350, -150}, {350, -390}, {350, -360}, {1, 0}}},
                 // A primary monitor right of another one, and one above-left of the first.
                 {{1920, 0, 1280, 1024, 200, 50, 1031, 1719}, {{2460, 487}, {2460, 77}, {2460, 872}, {2558, 56}}},
                 {{-1366, -768, 1366, 768, 200, 50, 0, 0},
                  {{-783, -409}, {-783, -717}, {-783, -126}, {-1366, -768}}}}) {
            const QRect screen(in[0], in[1], in[2], in[3]);
            const QSize size(in[4], in[5]);
            QCOMPARE((QList<QPoint>{Placement::center(screen, size), Placement::top(screen, size),
                                    Placement::bottom(screen, size), Placement::random(screen, size, in[6], in[7])}),
                     out);
        }
    }

    void lookFollowsCompositing()
    {
        // Colour, duration, composited → shown colour, opacity of the effect, of a picture. Over a #c8c8c8
        // background: 0.15 * 0 + 0.85 * 200 = 170, 0.15 * 255 + 0.85 * 200 = 208.25.
        for (const auto &[color, duration, composited, shown, effect, picture] :
             QList<std::tuple<QString, int, bool, QString, qreal, qreal>>{{"black", 10, true, "black", 0.15, 1},
                                                                          {"black", 10, false, "#aaaaaa", 1, 0.15},
                                                                          {"#ff0000", 19, false, "#d0aaaa", 1, 0.15},
                                                                          {"black", 1000, false, "black", 1, 1}}) {
            const Showing::Look look = Showing::lookFor(color, duration, composited, QColor(200, 200, 200));
            QCOMPARE(look.labelStyleSheet, Showing::labelStyleSheet(shown));
            QCOMPARE((QList<qreal>{look.effectOpacity, look.pictureOpacity}), (QList<qreal>{effect, picture}));
            QCOMPARE(look.shaped, !composited);
        }
        // A faded picture keeps its alpha.
        QImage picture(2, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, qRgba(0, 100, 255, 255));
        picture.setPixel(1, 0, qRgba(255, 255, 255, 40));
        const QImage faded = Showing::blended(picture, QColor(200, 200, 200), 0.15);
        QCOMPARE((QList<QRgb>{faded.pixel(0, 0), faded.pixel(1, 0)}),
                 (QList<QRgb>{qRgba(170, 185, 208, 255), qRgba(208, 208, 208, 40)}));
    }

    void shapeIsTheOpaquePixelsInLogicalCoordinates()
    {
        // Device pixel ratio, opaque rectangles in device pixels (the rest has alpha just under) → shape.
        for (const auto &[ratio, opaque, shape] : QList<std::tuple<qreal, QList<QRect>, QList<QRect>>>{
                 {1.0, {}, {}},
                 {1.0, {{0, 0, 8, 6}}, {{0, 0, 8, 6}}},
                 {1.0, {{1, 2, 2, 1}, {5, 2, 1, 1}}, {{1, 2, 2, 1}, {5, 2, 1, 1}}},
                 {2.0, {{2, 2, 4, 2}, {7, 5, 1, 1}}, {{1, 1, 2, 1}, {3, 2, 1, 1}}},
                 {1.5, {{0, 0, 1, 1}, {7, 5, 1, 1}}, {{0, 0, 1, 1}, {4, 3, 1, 1}}}}) {
            QImage image(8, 6, QImage::Format_ARGB32);
            image.fill(qRgba(0, 0, 0, Showing::ShapeAlphaThreshold - 1));
            QPainter painter(&image);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            for (const QRect &r : opaque)
                painter.fillRect(r, QColor(0, 0, 0, Showing::ShapeAlphaThreshold));
            painter.end();
            image.setDevicePixelRatio(ratio);
            QCOMPARE(Showing::opaqueRegion(image, Showing::ShapeAlphaThreshold),
                     std::accumulate(shape.cbegin(), shape.cend(), QRegion()));
        }
    }
};

QTEST_MAIN(TestFlashSession)
#include "test_flashsession.moc"
