#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Another running copy of the same user: its endpoint (the address for Send and Post) and its window title.
struct InstancePartner {
    std::string endpoint;
    std::string title;
};

// Messages between the running copies of one user. Each copy listens on its own local stream socket, a file
// named after its process in a directory only the user can enter ($XDG_RUNTIME_DIR/kivran, otherwise
// /tmp/kivran-<uid>). A message carries a number and two integer arguments; a sent message waits for the
// receiver's 64-bit answer, at most a time-out, and serves messages arriving meanwhile, so two copies that
// send to each other at once both get their answers. A posted message does not wait.
//
// The receiving side runs on the owner's event loop: watch Descriptor() for reading and call ServePending().
// The channel itself answers the identify request and the title request; every other message goes to the
// handler.
class CInstanceChannel {
public:
    using Handler = std::function<int64_t(uint32_t message, int64_t arg1, int64_t arg2)>;
    using TitleSource = std::function<std::string()>;

    static constexpr int kDefaultTimeoutMs = 5000;
    static constexpr int kPartnerTimeoutMs = 1000;

    // $XDG_RUNTIME_DIR/kivran when that variable names an absolute path, otherwise FallbackDirectory("/tmp").
    static std::string DefaultDirectory();
    // parent + "/kivran-<uid>"; when someone else holds that name (another user's directory, a link, a
    // file), the first of "-1" ... "-15" appended to it that is free or a directory of this user, so that
    // nobody can keep the copies of another user from meeting by taking the name first.
    static std::string FallbackDirectory(const std::string& parent);
    // Creates the directory (mode 0700) when it is missing. True when it is a real directory of this user
    // that nobody else may enter (one of ours that is too open is closed first).
    static bool PrepareDirectory(const std::string& directory);
    // The name of a shared object that the copies of this channel directory share: made from the token kept
    // in that directory, which no other user can read; without a private directory, derived from the
    // directory's path (a name someone else took first is then not ours to trust).
    static std::string SessionObjectName(const std::string& baseName);

    explicit CInstanceChannel(std::string directory = DefaultDirectory());
    ~CInstanceChannel();
    CInstanceChannel(const CInstanceChannel&) = delete;
    CInstanceChannel& operator=(const CInstanceChannel&) = delete;

    // Creates the directory when needed (mode 0700; refused when it is not a directory of this user) and
    // starts listening on a new endpoint in it. False when that fails; sending still works.
    bool Listen();
    // Stops listening and removes the endpoint.
    void Close();
    bool IsListening() const { return listenFd_ >= 0; }
    // The listening descriptor to watch for reading; -1 when not listening.
    int Descriptor() const { return listenFd_; }
    const std::string& Endpoint() const { return endpoint_; }
    const std::string& Directory() const { return directory_; }

    void SetHandler(Handler handler) { handler_ = std::move(handler); }
    void SetTitleSource(TitleSource source) { titleSource_ = std::move(source); }

    // Serves every connection waiting on the endpoint, one after the other; never blocks for long on a
    // client that connects and says nothing.
    void ServePending();

    // Sends a message and waits at most timeoutMs for the answer; nothing when the peer is gone, does not
    // answer in time or answers garbage.
    std::optional<int64_t> Send(const std::string& endpoint, uint32_t message, int64_t arg1, int64_t arg2,
                                int timeoutMs = kDefaultTimeoutMs);
    // Delivers a message without waiting for it to be handled; false when it could not be delivered.
    bool Post(const std::string& endpoint, uint32_t message, int64_t arg1, int64_t arg2);
    // The peer's window title.
    std::optional<std::string> RequestTitle(const std::string& endpoint, int timeoutMs = kPartnerTimeoutMs);

    // The other running copies: live endpoints in the directory, except this one, that answer the identify
    // request and whose title begins with "KIVRAN"; sorted by endpoint. Endpoints nobody listens on any more
    // (left by copies that ended abruptly) are removed.
    std::vector<InstancePartner> ListPartners(int timeoutMs = kPartnerTimeoutMs);

private:
    struct Request;

    bool EnsureDirectory() const;
    void ServeConnection(int fd);
    // Connects and writes the request; the connected descriptor, or -1 (dead tells whether nobody listens).
    int OpenRequest(const std::string& endpoint, const Request& request, int64_t deadline, bool* dead) const;
    // Reads exactly size bytes of an answer before the deadline, serving our own endpoint while waiting.
    bool ReadAnswer(int fd, void* answer, size_t size, int64_t deadline);
    void RemoveEndpointFile();

    std::string directory_;
    std::string endpoint_;
    int listenFd_ = -1;
    Handler handler_;
    TitleSource titleSource_;
};
