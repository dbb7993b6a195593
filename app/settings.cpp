// The settings file: where it lives, what makes a file unfit to be read as one, the keys and
// their checks, and the main window's state as values.
#include "app/settings.h"

#include <sys/stat.h>

#include <QSettings>
#include <QStringConverter>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "app/umekalon.h"
#include "app/uthaivk.h"

namespace settings {

namespace {

constexpr const char* kFileName = "mekalon.conf";
// Far more than any settings file of this program needs; a larger file is not one of ours.
constexpr long long kMaxFileSize = 1 << 20;

// The keys. Geometry is kept as base64 text, so the file stays plain text.
constexpr const char* kGeometry = "window/geometry";
constexpr const char* kVirtualKeyboard = "window/virtualKeyboard";
constexpr const char* kVirtualKeyboardGeometry = "window/virtualKeyboardGeometry";
constexpr const char* kGraphicsSize = "view/graphicsSize";
constexpr const char* kFontName = "view/fontName";
constexpr const char* kFontHeight = "view/fontHeight";
constexpr const char* kFontStyle = "view/fontStyle";
constexpr const char* kHardReturn = "view/hardReturn";
constexpr const char* kThaiKeyboard = "input/thaiKeyboard";
constexpr const char* kThaiOnAZ = "input/thaiOnAZ";
constexpr const char* kFactor = "convert/factor";
constexpr const char* kFactorText = "convert/factorText";
constexpr const char* kLastText = "files/lastText";
constexpr const char* kLastDictionary = "files/lastDictionary";
constexpr const char* kRecentTexts = "files/recentTexts";
constexpr const char* kRecentDictionaries = "files/recentDictionaries";

QString FromPath(const std::string& path) { return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size())); }
std::string ToPath(const QString& path) { return path.toLocal8Bit().toStdString(); }

// The factor in a form that reads back exactly, whatever the locale.
QString FactorToText(long double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return QString::fromLatin1(buffer, end - buffer);
}

std::optional<long double> FactorFromText(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    long double value = 0;
    const auto [end, ec] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    if (ec != std::errc() || end != bytes.constData() + bytes.size() || bytes.isEmpty()) return std::nullopt;
    return value;
}

// A caption text of the Convert menu: a number as the user selected it, short plain ASCII.
bool PlainShortText(const std::string& text) {
    if (text.empty() || text.size() > 40) return false;
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// Every key with its value, in the file's form.
std::vector<std::pair<const char*, QVariant>> Entries(const Values& v) {
    auto list = [](const std::vector<std::string>& paths) {
        QStringList out;
        for (const std::string& p : paths) out << FromPath(p);
        return out;
    };
    return {
        {kGeometry, QString::fromLatin1(v.geometry.toBase64())},
        {kVirtualKeyboard, v.virtualKeyboard},
        {kVirtualKeyboardGeometry, QString::fromLatin1(v.virtualKeyboardGeometry.toBase64())},
        {kGraphicsSize, v.graphicsSize},
        {kFontName, QString::fromStdString(v.font.name)},
        {kFontHeight, v.font.height},
        {kFontStyle, v.font.style},
        {kHardReturn, v.hardReturn},
        {kThaiKeyboard, v.thaiKeyboard},
        {kThaiOnAZ, v.thaiOnAZ},
        {kFactor, FactorToText(v.factor)},
        {kFactorText, QString::fromLatin1(v.factorText)},
        {kLastText, FromPath(v.lastText)},
        {kLastDictionary, FromPath(v.lastDictionary)},
        {kRecentTexts, list(v.recentTexts)},
        {kRecentDictionaries, list(v.recentDictionaries)},
    };
}

bool ReadBool(const QSettings& s, const char* key, bool fallback) {
    const QString text = s.value(key).toString();
    if (text == QLatin1String("true")) return true;
    if (text == QLatin1String("false")) return false;
    return fallback;
}

int ReadInt(const QSettings& s, const char* key, int low, int high, int fallback) {
    bool ok = false;
    const int n = s.value(key).toString().toInt(&ok);
    return ok && n >= low && n <= high ? n : fallback;
}

QByteArray ReadBase64(const QSettings& s, const char* key) {
    const auto decoded = QByteArray::fromBase64Encoding(s.value(key).toString().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

// A full path, or nothing.
std::string ReadPath(const QString& text) {
    if (text.isEmpty() || !text.startsWith(QLatin1Char('/')) || text.contains(QChar(0))) return {};
    return ToPath(text);
}

std::vector<std::string> ReadList(const QSettings& s, const char* key) {
    std::vector<std::string> out;
    for (const QString& item : s.value(key).toStringList()) {
        const std::string path = ReadPath(item);
        if (path.empty() || std::find(out.begin(), out.end(), path) != out.end()) continue;
        out.push_back(path);
        if (static_cast<int>(out.size()) == kRecentCount) break;
    }
    return out;
}

Values Load(const QSettings& s) {
    Values v;
    const Values defaults;
    v.geometry = ReadBase64(s, kGeometry);
    v.virtualKeyboard = ReadBool(s, kVirtualKeyboard, defaults.virtualKeyboard);
    v.virtualKeyboardGeometry = ReadBase64(s, kVirtualKeyboardGeometry);
    v.graphicsSize = ReadInt(s, kGraphicsSize, 0, 3, defaults.graphicsSize);
    const QString fontName = s.value(kFontName).toString();
    if (!fontName.isEmpty() && fontName.size() <= 200) v.font.name = fontName.toStdString();
    v.font.height = ReadInt(s, kFontHeight, 1, 1000, defaults.font.height);
    v.font.style = ReadInt(s, kFontStyle, 0, 15, defaults.font.style);
    v.hardReturn = ReadBool(s, kHardReturn, defaults.hardReturn);
    v.thaiKeyboard = ReadBool(s, kThaiKeyboard, defaults.thaiKeyboard);
    v.thaiOnAZ = ReadBool(s, kThaiOnAZ, defaults.thaiOnAZ);
    // The factor and the text it was selected as go together, or neither is taken.
    const auto factor = FactorFromText(s.value(kFactor).toString());
    const std::string factorText = s.value(kFactorText).toString().toStdString();
    if (factor && PlainShortText(factorText)) {
        v.factor = *factor;
        v.factorText = factorText;
    }
    v.lastText = ReadPath(s.value(kLastText).toString());
    v.lastDictionary = ReadPath(s.value(kLastDictionary).toString());
    v.recentTexts = ReadList(s, kRecentTexts);
    v.recentDictionaries = ReadList(s, kRecentDictionaries);
    return v;
}

// Renames the file aside to the first free name of path.bad, path.bad-2, ...; the new name, or
// empty (with errno set) when it could not be moved.
std::string SetAside(const std::string& path) {
    for (int n = 1; n < 1000; ++n) {
        const std::string to = path + (n == 1 ? std::string(".bad") : ".bad-" + std::to_string(n));
        struct stat st;
        if (lstat(to.c_str(), &st) == 0) continue;
        if (std::rename(path.c_str(), to.c_str()) == 0) return to;
        return {};
    }
    errno = EEXIST;
    return {};
}

std::unique_ptr<Store>& TheStore() {
    static std::unique_ptr<Store> store;
    return store;
}

}  // namespace

bool operator==(const Values& a, const Values& b) {
    return a.geometry == b.geometry && a.graphicsSize == b.graphicsSize && a.font.name == b.font.name &&
           a.font.height == b.font.height && a.font.style == b.font.style && a.thaiKeyboard == b.thaiKeyboard &&
           a.thaiOnAZ == b.thaiOnAZ && a.virtualKeyboard == b.virtualKeyboard &&
           a.virtualKeyboardGeometry == b.virtualKeyboardGeometry && a.hardReturn == b.hardReturn &&
           a.factor == b.factor && a.factorText == b.factorText && a.lastText == b.lastText &&
           a.lastDictionary == b.lastDictionary && a.recentTexts == b.recentTexts &&
           a.recentDictionaries == b.recentDictionaries;
}

std::string Folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return std::string(config) + "/mekalon";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/mekalon";
}

std::string ProblemWith(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        return std::string("it cannot be examined: ") + std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    if (!S_ISREG(st.st_mode)) return "it is not a regular file";
    if (st.st_size > kMaxFileSize) return "it is too large to be a settings file";
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string("it cannot be read: ") + std::strerror(errno);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return "it cannot be read";

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) return "it is not text";
    for (QChar c : text)
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\r') && c != QLatin1Char('\t'))
            return "it is not text";
    // Lines of the INI form: blank, a comment, a [section] or key=value.
    int number = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++number;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0) continue;
        return "line " + std::to_string(number) + " is not a setting";
    }
    return {};
}

Store::Store(std::string path) : path_(std::move(path)) {
    store_ = std::make_unique<QSettings>(FromPath(path_), QSettings::IniFormat);
    store_->setFallbacksEnabled(false);
}

Store::~Store() = default;

std::unique_ptr<Store> Store::Open(const std::string& folder, std::string& message) {
    const std::string path = folder + "/" + kFileName;
    std::string problem = ProblemWith(path);
    if (problem.empty()) {
        std::unique_ptr<Store> store(new Store(path));
        if (store->store_->status() == QSettings::NoError) {
            store->loaded_ = Load(*store->store_);
            return store;
        }
        problem = "the settings store cannot read it";
    }
    const std::string aside = SetAside(path);
    if (aside.empty()) {
        message = "the settings file " + path + " cannot be read (" + problem + ") and could not be moved aside (" +
                  std::strerror(errno) + "); no settings are kept in this run";
        return nullptr;
    }
    message = "the settings file " + path + " could not be read (" + problem + "); it was moved to " + aside +
              " and the program starts with its default settings";
    return std::unique_ptr<Store>(new Store(path));
}

void Store::Save(const Values& values) {
    if (values == loaded_) return;
    const auto before = Entries(loaded_);
    const auto after = Entries(values);
    for (size_t i = 0; i < after.size(); ++i)
        if (!(after[i].second == before[i].second) || !store_->contains(after[i].first))
            store_->setValue(after[i].first, after[i].second);
    loaded_ = values;
}

bool Store::Sync(std::string& error) {
    store_->sync();
    if (store_->status() == QSettings::NoError) return true;
    error = "the settings could not be written to " + path_;
    return false;
}

Store* Current() { return TheStore().get(); }
void Use(std::unique_ptr<Store> store) { TheStore() = std::move(store); }

// ---- The main window's state ---------------------------------------------------------------

Values Capture(const Tfmekalon& window, const Values& base) {
    Values v = base;
    v.geometry = window.saveGeometry();
    v.graphicsSize = window.Tm1->Graphicsize;
    v.font = window.font;
    v.thaiKeyboard = window.Tm1->ThaiKeyboard;
    v.thaiOnAZ = window.Tm1->ThaiOnAZ;
    if (const TFthaivk* keyboard = window.VirtualKeyboard()) {
        v.virtualKeyboard = keyboard->isVisible();
        if (v.virtualKeyboard) v.virtualKeyboardGeometry = keyboard->saveGeometry();
    }
    v.hardReturn = window.Tm1->HardReturn;
    v.factor = window.factor;
    v.factorText = window.factorText;
    v.lastText = window.lastText;
    v.lastDictionary = window.lastDictionary;
    v.recentTexts = window.recentTexts.Items();
    v.recentDictionaries = window.recentDictionaries.Items();
    return v;
}

void Apply(Tfmekalon& window, const Values& values) {
    if (!values.geometry.isEmpty()) window.restoreGeometry(values.geometry);
    window.font = values.font;
    switch (values.graphicsSize) {
        case 0: window.previousfontClick(); break;
        case 2: window.MediumGraphicsClick(); break;
        case 3: window.Largegraphicsclick(); break;
        default: window.smallgraphicsClick(); break;
    }
    window.hardreturn->setChecked(values.hardReturn);
    window.hardreturnClick();
    if (values.thaiKeyboard != window.Tm1->ThaiKeyboard) window.KeyboardF21Click();
    if (values.thaiOnAZ != window.Tm1->ThaiOnAZ) window.ThaionAZ1Click();
    window.SetFactor(values.factor, values.factorText);
    window.lastText = values.lastText;
    window.lastDictionary = values.lastDictionary;
    window.recentTexts.Assign(values.recentTexts);
    window.recentDictionaries.Assign(values.recentDictionaries);
    window.ShowRecentLists();
    window.ShowStatus();
}

void ShowToolWindows(Tfmekalon& window, const Values& values) {
    TFthaivk* keyboard = window.VirtualKeyboard();
    if (!values.virtualKeyboard || !keyboard) return;
    if (!values.virtualKeyboardGeometry.isEmpty()) keyboard->restoreGeometry(values.virtualKeyboardGeometry);
    window.VirtualKbd1Click();
    // The keys go on reaching the text, as at any start.
    window.activateWindow();
}

void Keep(const Tfmekalon& window) {
    if (Store* store = Current()) store->Save(Capture(window, store->Loaded()));
}

}  // namespace settings
