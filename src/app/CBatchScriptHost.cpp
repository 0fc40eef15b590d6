#include "app/CBatchScriptHost.h"

#include "binding/CInputValue.h"
#include "platform/CodePage932.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QString>
#include <QtGlobal>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <istream>
#include <netdb.h>
#include <ostream>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool ConnectUnix(const std::string& path, bool abstractName) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t offset = abstractName ? 1 : 0;
    if (path.empty() || path.size() + offset >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    close(fd);
    return connected;
}

// A TCP connection within a second.
bool ConnectTcp(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) {
        return false;
    }
    bool connected = false;
    for (addrinfo* a = found; a && !connected; a = a->ai_next) {
        int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            connected = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int error = 0;
            socklen_t size = sizeof error;
            connected = poll(&p, 1, 1000) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 &&
                        error == 0;
        }
        close(fd);
    }
    freeaddrinfo(found);
    return connected;
}

// DISPLAY is [host]:number[.screen]; a local display listens on /tmp/.X11-unix/X<number>.
bool XDisplayAnswers(const std::string& display) {
    size_t colon = display.rfind(':');
    if (colon == std::string::npos || colon + 1 >= display.size()) {
        return false;
    }
    std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 5) {
        return false;
    }
    if (host.empty() || host == "unix") {
        const std::string socketPath = "/tmp/.X11-unix/X" + number;
        return ConnectUnix(socketPath, false) || ConnectUnix(socketPath, true);
    }
    return ConnectTcp(host, 6000 + std::atoi(number.c_str()));
}

bool PlatformPluginExists(const std::string& name) {
    std::vector<std::string> folders;
    std::string extra = Environment("QT_PLUGIN_PATH");
    for (size_t start = 0; start <= extra.size();) {
        size_t end = extra.find(':', start);
        end = end == std::string::npos ? extra.size() : end;
        if (end > start) {
            folders.push_back(extra.substr(start, end - start));
        }
        start = end + 1;
    }
    folders.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString());
    for (const std::string& folder : folders) {
        struct stat info;
        if (stat((folder + "/platforms/libq" + name + ".so").c_str(), &info) == 0) {
            return true;
        }
    }
    return false;
}

// Qt's own notes (a missing runtime directory and the like) are not the script's output: standard error
// stays for prompts and error reports. Only critical and fatal messages get through.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

} // namespace

CBatchScriptHost::CBatchScriptHost(std::istream& input, std::ostream& output, std::ostream& errors,
                                   int uiLanguage)
    : in(input), out(output), err(errors), language(uiLanguage) {}

CBatchScriptHost::~CBatchScriptHost() = default;

std::string CBatchScriptHost::ForOutput(const std::string& text) {
    std::string utf8 = CodePage932::ToUtf8(text);
    return CodePage932::FromUtf8(utf8) == text ? utf8 : text;
}

std::string CBatchScriptHost::FromInput(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return CodePage932::IsValidUtf8(text) ? CodePage932::FromUtf8(text) : text;
        }
    }
    return text;
}

int CBatchScriptHost::MessageBox(const std::string& text, const std::string&, uint32_t style) {
    out << ForOutput(text) << '\n';
    out.flush();
    return FirstButton(style);
}

bool CBatchScriptHost::InputData(const std::string& prompt, const std::string&, int valueType,
                                 std::string& text) {
    err << ForOutput(prompt) << '\n';
    err.flush();
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        line = FromInput(line);
        CInputValue value(valueType);
        if (value.Parse(line) == 0) {
            text = line;
            return true;
        }
        err << CInputValue::IllegalCharacterText(language) << '\n';
        err.flush();
    }
    return false;
}

std::string CBatchScriptHost::ClipboardPlatform() {
    if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty()) {
        return std::string();
    }
    const std::string requested = Environment("QT_QPA_PLATFORM");
    if (requested == "offscreen" || requested == "minimal") {
        return requested;
    }
    const std::string display = Environment("DISPLAY");
    if (!display.empty() && XDisplayAnswers(display) && PlatformPluginExists("xcb")) {
        return "xcb";
    }
    return std::string();
}

bool CBatchScriptHost::SystemClipboard() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return true;
    }
    if (triedSystem) {
        return false;
    }
    triedSystem = true;
    if (QCoreApplication::instance()) {
        return false;
    }
    const std::string platform = ClipboardPlatform();
    if (platform.empty()) {
        return false;
    }
    argStrings = {"kivran", "-platform", platform};
    for (std::string& a : argStrings) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    argc = static_cast<int>(argStrings.size());
    qInstallMessageHandler(QuietQtMessages);
    application = std::make_unique<QGuiApplication>(argc, argv.data());
    return true;
}

bool CBatchScriptHost::CopyText(const std::string& text) {
    if (!SystemClipboard()) {
        runClipboard = text;
        return true;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        return false;
    }
    clipboard->setText(QString::fromStdU16String(CodePage932::ToUtf16(text)));
    return true;
}

std::string CBatchScriptHost::PasteText() {
    if (!SystemClipboard()) {
        return runClipboard;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? CodePage932::FromUtf16(clipboard->text().toStdU16String()) : std::string();
}
