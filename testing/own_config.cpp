// Linked into every test program: it runs with a settings folder of its own, $XDG_CONFIG_HOME set
// to a new temporary folder before main() and removed at the end, so that no test reads or writes
// the user's settings or sees another test's (the programs a test starts inherit it).
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

class OwnConfigFolder {
public:
    OwnConfigFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/mekalon-test-config-XXXXXX";
        if (!mkdtemp(name.data())) std::abort();  // a test must never reach the user's settings
        folder_ = name;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    ~OwnConfigFolder() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

private:
    std::string folder_;
};

const OwnConfigFolder folder;

}  // namespace
