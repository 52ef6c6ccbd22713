// zek8: the desktop sine vibration controller.

#include "core/NetworkSettings.h"
#include "core/RemoteControl.h"
#include "hardware/Backend.h"
#include "hardware/jack/AudioSettingsFile.h"
#include "ui/DesktopProgram.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the program the way closing its window does, so
// the shaker is left with drive and current sources off.
void EndOnTerminationSignals(DesktopProgram& program) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &program);
    QObject::connect(notifier, &QSocketNotifier::activated, &program, [&program, notifier] {
        notifier->setEnabled(false);
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
        program.EndFromOutside();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}
// The option, then the environment, then the user's data folder. The folder is made
// here so that the first record can be written.
std::string RemoteControlPathFrom(const QCommandLineParser& options, const QCommandLineOption& controlFile) {
    std::string path = DefaultRemoteControlPath();
    if (const char* fromEnvironment = std::getenv("ZEK8_CONTROL_FILE"); fromEnvironment && *fromEnvironment)
        path = fromEnvironment;
    if (options.isSet(controlFile)) path = options.value(controlFile).toStdString();
    std::error_code ignored;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
    return path;
}

// Asked only for the help text or the version, the program prints it without a display:
// the window's application cannot start on a machine that has none.
bool OnlyPrints(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") break;
        for (const char* asked : {"-h", "--help", "--help-all", "-v", "--version"})
            if (argument == asked) return true;
    }
    return false;
}
} // namespace

int main(int argc, char* argv[]) {
    const std::unique_ptr<QCoreApplication> app = OnlyPrints(argc, argv)
                                                      ? std::make_unique<QCoreApplication>(argc, argv)
                                                      : std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zek8"));
    QApplication::setApplicationVersion(QStringLiteral(ZEK8_VERSION));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("ZEK-8 digital sine vibration controller."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption workdir(
        QStringLiteral("workdir"),
        QStringLiteral("Working folder of the default profile ZEKFileS.000 and the calibration file ZEK8Cal.Dat "
                       "(default: the current folder)."),
        QStringLiteral("DIR"));
    options.addOption(workdir);
    const QCommandLineOption controlFile(
        QStringLiteral("control-file"),
        QStringLiteral("The remote-control file shared with an outside program (default: $ZEK8_CONTROL_FILE, else "
                       "ZEK8/ZEKControl.dat in the user's data folder)."),
        QStringLiteral("PATH"));
    options.addOption(controlFile);
    const QCommandLineOption benchOption(
        QStringLiteral("bench"),
        QStringLiteral("Run the boards on the simulated test bench: 'sim' for the built-in bench, or a bench file. "
                       "Without it the acquisition library is looked for and, missing, the controller runs in demo "
                       "mode."),
        QStringLiteral("sim|FILE"));
    options.addOption(benchOption);
    const QCommandLineOption jackClient(QStringLiteral("jack-client"),
                                        QStringLiteral("The audio server's client name of the USB interface "
                                                       "(default: zek8)."),
                                        QStringLiteral("NAME"));
    options.addOption(jackClient);
    const QCommandLineOption jackServer(QStringLiteral("jack-server"),
                                        QStringLiteral("The audio server of the USB interface (default: the "
                                                       "server's own default)."),
                                        QStringLiteral("NAME"));
    options.addOption(jackServer);
    const QCommandLineOption mqtt(
        QStringLiteral("mqtt"),
        QStringLiteral("The lab network's broker: mqtts://USER@HOST[:PORT] (default port 8883), or "
                       "mqtt://[USER@]HOST[:PORT] (default 1883) for a broker on this computer only."),
        QStringLiteral("URL"));
    const QCommandLineOption mqttPasswordFile(
        QStringLiteral("mqtt-password-file"),
        QStringLiteral("The broker's password: the first line of FILE, which only its owner may read or write."),
        QStringLiteral("FILE"));
    const QCommandLineOption mqttCa(
        QStringLiteral("mqtt-ca"),
        QStringLiteral("The certificate authority the broker's certificate is checked against (default: the "
                       "system's)."),
        QStringLiteral("FILE"));
    const QCommandLineOption station(QStringLiteral("station"),
                                     QStringLiteral("This station's name on the broker, its topics zek8/NAME/..."),
                                     QStringLiteral("NAME"));
    const QCommandLineOption acceptCommands(QStringLiteral("accept-commands"),
                                            QStringLiteral("Obey the broker's commands (Stop is obeyed always)."));
    options.addOptions({mqtt, mqttPasswordFile, mqttCa, station, acceptCommands});
    options.process(*app);

    BackendChoice backend;
    try {
        backend = ChooseBackend(options.isSet(benchOption) ? options.value(benchOption).toStdString() : "none");
        // The bench is a board: with it the USB interface item opens nothing.
        if (!options.isSet(benchOption)) {
            AudioInterfaceSettings audio;
            if (options.isSet(jackClient)) audio.clientName = options.value(jackClient).toStdString();
            if (options.isSet(jackServer)) audio.serverName = options.value(jackServer).toStdString();
            backend.audio = audio;
        }
    } catch (const BackendChoiceError& error) {
        std::fprintf(stderr, "zek8: %s\n", error.what());
        return 2;
    }

    if (options.isSet(workdir)) {
        const QString folder = options.value(workdir);
        if (!QDir(folder).exists() || !QDir::setCurrent(folder)) {
            std::fprintf(stderr, "zek8: cannot use the working folder %s\n", qPrintable(folder));
            return 2;
        }
    }
    // The interface's settings are the working folder's.
    if (backend.audio) {
        LoadedAudioSettings loaded = LoadAudioSettingsFile(AudioSettingsFileName, *backend.audio);
        backend.audio = std::move(loaded.settings);
        backend.audioSettingsFault = std::move(loaded.fault);
    }

    DesktopProgram program([&backend](Clock& clock) { return MakeBackend(backend, clock); });
    EndOnTerminationSignals(program);
    program.State().RemoteControlPath = RemoteControlPathFrom(options, controlFile);
    // The lab network: the command line over the settings file; what is wrong with either
    // is told once the controller has started, which then goes on without a network.
    NetworkOptions network;
    const auto given = [&options](const QCommandLineOption& option) -> std::optional<std::string> {
        if (!options.isSet(option)) return std::nullopt;
        return options.value(option).toStdString();
    };
    network.url = given(mqtt);
    network.passwordFile = given(mqttPasswordFile);
    network.caFile = given(mqttCa);
    network.station = given(station);
    network.acceptCommands = options.isSet(acceptCommands);
    const LoadedNetworkSettings networkFile = LoadNetworkSettingsFile(DefaultNetworkSettingsPath());
    program.TakeNetwork(ChooseNetwork(WithOptions(networkFile.settings, network)), networkFile.fault);
    program.Begin();
    return QCoreApplication::exec();
}
