#include "settings/numbertext.h"

#include <QtTest>

#include <optional>

using OptDouble = std::optional<double>;

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    // Numbers as the files and the options dialog read them.
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "42" << 42.0;
        QTest::newRow("blanks before") << " \t 7" << 7.0;
        QTest::newRow("letters after") << "3725abc" << 3725.0;
        QTest::newRow("letters only") << "ON" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("fraction") << "59.5" << 59.5;
        QTest::newRow("fraction without integer part") << ".5" << 0.5;
        QTest::newRow("negative") << "-12" << -12.0;
        QTest::newRow("plus") << "+3" << 3.0;
        QTest::newRow("exponent") << "1e3x" << 1000.0;
        QTest::newRow("lonely e") << "5e" << 5.0;
        QTest::newRow("second number ignored") << "1 2" << 1.0;
        QTest::newRow("sign alone") << "-" << 0.0;
        QTest::newRow("dot alone") << "." << 0.0;
        QTest::newRow("blank inside stops") << "12 34" << 12.0;
        QTest::newRow("full-width digits are not digits") << QStringLiteral("\uff11") << 0.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(NumberText::leading(text), expected);
    }

    void wholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<OptDouble>("expected");
        QTest::newRow("plain") << "7" << OptDouble(7);
        QTest::newRow("blanks around") << "  7 " << OptDouble(7);
        QTest::newRow("fraction") << "2.5" << OptDouble(2.5);
        QTest::newRow("negative") << "-1" << OptDouble(-1);
        QTest::newRow("empty") << "" << OptDouble();
        QTest::newRow("letters") << "abc" << OptDouble();
        QTest::newRow("trailing letters") << "7a" << OptDouble();
        QTest::newRow("two numbers") << "7 8" << OptDouble();
    }
    void wholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(OptDouble, expected);
        QCOMPARE(NumberText::whole(text), expected);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<std::optional<qint16>>("int16");
        QTest::addColumn<std::optional<qint32>>("int32");
        using O16 = std::optional<qint16>;
        using O32 = std::optional<qint32>;
        QTest::newRow("half down to even") << 2.5 << O16(2) << O32(2);
        QTest::newRow("half up to even") << 3.5 << O16(4) << O32(4);
        QTest::newRow("negative half") << -2.5 << O16(-2) << O32(-2);
        QTest::newRow("below half") << 7.49 << O16(7) << O32(7);
        QTest::newRow("16-bit top") << 32767.0 << O16(32767) << O32(32767);
        QTest::newRow("rounds past 16-bit top") << 32767.5 << O16() << O32(32768);
        QTest::newRow("16-bit bottom, half to even") << -32768.5 << O16(-32768) << O32(-32768);
        QTest::newRow("32-bit top") << 2147483647.0 << O16() << O32(2147483647);
        QTest::newRow("past 32-bit top") << 2147483648.0 << O16() << O32();
        QTest::newRow("32-bit bottom") << -2147483648.0 << O16() << O32(-2147483647 - 1);
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << O16() << O32();
    }
    void rounding()
    {
        QFETCH(double, value);
        QFETCH(std::optional<qint16>, int16);
        QFETCH(std::optional<qint32>, int32);
        QCOMPARE(NumberText::toInt16(value), int16);
        QCOMPARE(NumberText::toInt32(value), int32);
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
