#include "app/demo.h"

#include "app/qt_text.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#ifdef _WIN32
#include <windows.h>
#elif defined(__linux__)
#include <sys/prctl.h>

#include <csignal>
#endif

namespace app {
namespace {

constexpr int kStartMs = 15000;
const QByteArray kEndpointsPrefix = QByteArrayLiteral("POOLDESK_ENDPOINTS=");

QString simulatorProgram() {
#ifdef _WIN32
    const QString name = QStringLiteral("pooldesk-sim.exe");
#else
    const QString name = QStringLiteral("pooldesk-sim");
#endif
    const QDir folder(QCoreApplication::applicationDirPath());
    // Beside the client in the packages; in a build tree the simulator has its own folder.
    for (const QString& candidate :
         {folder.filePath(name), folder.filePath(QStringLiteral("../sim/") + name)}) {
        if (QFile::exists(candidate)) {
            return QDir::cleanPath(candidate);
        }
    }
    return folder.filePath(name);
}

} // namespace

bool takeDemoOption(QStringList& arguments) {
    return arguments.removeAll(QString::fromLatin1(kDemoOption)) > 0;
}

bool DemoSimulator::start(QString& error) {
    if (!m_settingsFolder.isValid()) {
        error = QStringLiteral("no folder for the demo's settings: %1")
                    .arg(m_settingsFolder.errorString());
        return false;
    }
    const QString settings = m_settingsFolder.filePath(QStringLiteral("pz.ini"));
    QFile file(settings);
    if (!file.open(QIODevice::WriteOnly) || file.write("[key]\r\nkey=demo-key\r\n") < 0) {
        error = QStringLiteral("cannot write %1").arg(settings);
        return false;
    }
    file.close();
    m_settingsFile = toGbk(QDir::toNativeSeparators(settings));

    const QString program = simulatorProgram();
    m_process.setProgram(program);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
#if defined(__linux__)
    // A client that crashes or is killed takes the simulator with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    m_process.start(QIODevice::ReadOnly);
    if (!m_process.waitForStarted(kStartMs)) {
        error = QStringLiteral("cannot start %1: %2").arg(program, m_process.errorString());
        return false;
    }
    endWithThisProcess();
    const QDeadlineTimer deadline(kStartMs);
    QByteArray output;
    while (!deadline.hasExpired()) {
        if (!m_process.canReadLine() &&
            !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            output += line + '\n';
            if (line.startsWith(kEndpointsPrefix)) {
                m_endpoints = line.mid(kEndpointsPrefix.size()).toStdString();
                // Nothing more is read: what it prints later must not pile up here.
                m_process.closeReadChannel(QProcess::StandardOutput);
                return true;
            }
        }
    }
    error = QStringLiteral("%1 gave no endpoints: %2")
                .arg(program, QString::fromLocal8Bit(output + m_process.readAll()));
    return false;
}

void DemoSimulator::endWithThisProcess() {
#ifdef _WIN32
    // The simulator goes into a job that ends its processes when its last handle closes: ours,
    // which Windows closes however this process ends.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        return;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE,
                                 static_cast<DWORD>(m_process.processId()));
    if (process == nullptr ||
        !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !AssignProcessToJobObject(job, process)) {
        CloseHandle(job);
        job = nullptr;
    }
    if (process != nullptr) {
        CloseHandle(process);
    }
    m_job = job;
#endif
}

DemoSimulator::~DemoSimulator() {
    if (m_process.state() != QProcess::NotRunning) {
#ifdef _WIN32
        // A console program without a window gets no close message: end it.
        m_process.kill();
#else
        m_process.terminate(); // it stops its servers on SIGTERM
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
        }
#endif
        m_process.waitForFinished(3000);
    }
#ifdef _WIN32
    if (m_job != nullptr) {
        CloseHandle(m_job);
    }
#endif
}

} // namespace app
