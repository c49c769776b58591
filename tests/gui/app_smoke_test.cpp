// The real program, started as a user starts it (offscreen here) and closed
// as the session closes it: it comes up, goes away cleanly and leaves no
// sanitizer report behind.
#include <QProcess>
#include <QtTest>
#include <csignal>

class AppSmokeTest : public QObject {
    Q_OBJECT

  private slots:
    void startsAndCloses() {
        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QUELTER_PORTS", "/nonexistent/quelter-test-port");
        app.setProcessEnvironment(env);
        app.start(QUELTER_CONFIG_BINARY, {});
        QVERIFY(app.waitForStarted(10000));
        // Still running after a while: it did not stop on its own.
        QVERIFY(!app.waitForFinished(3000));
        ::kill(static_cast<pid_t>(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(30000));
        const QByteArray errors = app.readAllStandardError();
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QVERIFY2(app.exitCode() == 0, errors.constData());
        QVERIFY2(!errors.contains("Sanitizer"), errors.constData());
        QVERIFY2(!errors.contains("runtime error"), errors.constData());
    }
};

QTEST_GUILESS_MAIN(AppSmokeTest)
#include "app_smoke_test.moc"
