// quelin3-unit-sim: a simulated ignition unit on a pseudo-terminal it creates
// (its first stdout line is the device path) or on a device it is given.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sim_line.h"
#include "sim_unit.h"

namespace {

volatile sig_atomic_t g_quit = 0;
void onSignal(int) { g_quit = 1; }

int64_t nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void usage() {
  std::fputs(
      "usage: quelin3-unit-sim [options]\n"
      "  --protocol N        1, 2, 3050, 3100, 3150 or 3300 (default 3150)\n"
      "  --device PATH       serve this serial device instead of a new pseudo-terminal\n"
      "  --link PATH         make a symbolic link to the pseudo-terminal (printed instead)\n"
      "  --baud B            line rate for pacing (default 57600, 115200 for 3300)\n"
      "  --no-pace           send as fast as the device takes it\n"
      "  --any-baud          answer whatever line rate the program set (pseudo-terminal)\n"
      "  --memory FILE       parameter memory file (1050 bytes), loaded and kept up to date\n"
      "  --corrupt P         corrupt each byte the unit sends with probability P\n"
      "  --drop P            lose each byte the unit sends with probability P\n"
      "  --delay MS          answer MS milliseconds late\n"
      "  --silent            never answer\n"
      "  --echo              send every received byte back\n"
      "  --silent-after N    stop answering after N frames (a pulled cable)\n"
      "  --silent-while-storing  fall silent at the first poll while storing a programming\n"
      "  --pickup-unsync     pickup-monitor blocks report the unit as not synchronised\n"
      "  --hold RPM,TP       hold the engine at RPM and throttle TP % instead of the sweep\n"
      "  --unstable A[:S]    after S reads, every read covering byte A changes it\n"
      "  --key K             type key in the identification answer (default 104)\n"
      "  --version-major V   program version, major part (default 104)\n"
      "  --version-minor V   program version, minor part (default 0)\n"
      "  --max-frame N       family A: largest frame announced (default 528)\n"
      "  --name TEXT         family A: name announced\n"
      "  --designation TEXT  identification: designation text (15 characters)\n"
      "  --build D.M.YYYY-HH:MM  identification: build date and time\n"
      "  --production C,A,B,D[,+]  identification: production code\n"
      "  --serial HEX16      identification: 8 serial-number bytes\n"
      "  --last-update SEC   identification: last update, seconds since 1970\n"
      "  --note TEXT         identification: free note\n"
      "  --seed N            random seed of the fault injection\n"
      "  --log FILE          log every frame in and out\n",
      stderr);
}

speed_t speedOf(int baud) {
  switch (baud) {
    case 115200:
      return B115200;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    default:
      return B57600;
  }
}

// Whether the program's side of the pseudo-terminal is set to the unit's
// line rate. A real unit at another rate sees only framing errors, so it
// never answers; the terminal's settings tell the rate the program chose.
bool lineRateMatches(int ttyFd, int baud) {
  termios t{};
  if (ttyFd < 0 || tcgetattr(ttyFd, &t) != 0) return true;  // unknown: take the bytes
  return cfgetospeed(&t) == speedOf(baud);
}

bool setRaw(int fd, int baud) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  const speed_t sp = speedOf(baud);
  cfsetispeed(&t, sp);
  cfsetospeed(&t, sp);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  q3sim::SimConfig cfg;
  std::string device, link, memFile, logFile;
  int baud = 0, delayMs = 0;
  bool pace = true;
  bool anyRate = false;
  std::vector<std::function<void(q3sim::SimUnit&)>> identEdits;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "quelin3-unit-sim: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--protocol")
      cfg.protocol = std::atoi(next());
    else if (a == "--device")
      device = next();
    else if (a == "--link")
      link = next();
    else if (a == "--baud")
      baud = std::atoi(next());
    else if (a == "--no-pace")
      pace = false;
    else if (a == "--any-baud")
      anyRate = true;
    else if (a == "--memory")
      memFile = next();
    else if (a == "--corrupt")
      cfg.corrupt = std::atof(next());
    else if (a == "--drop")
      cfg.drop = std::atof(next());
    else if (a == "--delay")
      delayMs = std::atoi(next());
    else if (a == "--silent")
      cfg.silent = true;
    else if (a == "--echo")
      cfg.echo = true;
    else if (a == "--pickup-unsync")
      cfg.pickupUnsynchronised = true;
    else if (a == "--hold") {
      // RPM,THROTTLE: the engine held at one operating point.
      const std::string v = next();
      cfg.holdRpm = std::max(0, std::atoi(v.c_str()));
      if (auto comma = v.find(','); comma != std::string::npos)
        cfg.holdThrottle = std::atoi(v.c_str() + comma + 1);
    } else if (a == "--unstable") {
      // ADDR or ADDR:SKIP
      const std::string v = next();
      cfg.unstableAddr = std::atoi(v.c_str());
      if (auto colon = v.find(':'); colon != std::string::npos)
        cfg.unstableSkip = std::atoi(v.c_str() + colon + 1);
    } else if (a == "--silent-after")
      cfg.silentAfter = std::atoi(next());
    else if (a == "--silent-while-storing")
      cfg.silentWhileStoring = true;
    else if (a == "--key")
      cfg.typeKey = std::atoi(next());
    else if (a == "--version-major")
      cfg.versionMajor = std::atoi(next());
    else if (a == "--version-minor")
      cfg.versionMinor = std::atoi(next());
    else if (a == "--max-frame")
      cfg.maxFrameLength = std::atoi(next());
    else if (a == "--name")
      cfg.name = next();
    else if (a == "--seed")
      cfg.seed = uint32_t(std::strtoul(next(), nullptr, 10));
    else if (a == "--log")
      logFile = next();
    else if (a == "--designation") {
      std::string v = next();
      identEdits.push_back([v](q3sim::SimUnit& u) { u.setDesignation(v.c_str()); });
    } else if (a == "--build") {
      int d = 1, m = 1, y = 2022, h = 0, mi = 0;
      std::sscanf(next(), "%d.%d.%d-%d:%d", &d, &m, &y, &h, &mi);
      identEdits.push_back([=](q3sim::SimUnit& u) { u.setBuildDate(d, m, y, h, mi); });
    } else if (a == "--production") {
      char c = 'K';
      int x = 0, y = 0, z = 0;
      const char* v = next();
      std::sscanf(v, "%c,%d,%d,%d", &c, &x, &y, &z);
      const bool plus = std::strchr(v, '+') != nullptr;
      identEdits.push_back([=](q3sim::SimUnit& u) { u.setProductionCode(c, plus, x, y, z); });
    } else if (a == "--serial") {
      const std::string v = next();
      uint8_t sn[8]{};
      for (int k = 0; k < 8 && size_t(2 * k + 1) < v.size(); ++k)
        sn[k] = uint8_t(std::strtoul(v.substr(size_t(2 * k), 2).c_str(), nullptr, 16));
      identEdits.push_back([=](q3sim::SimUnit& u) { u.setSerial(sn); });
    } else if (a == "--last-update") {
      const uint32_t t = uint32_t(std::strtoul(next(), nullptr, 10));
      identEdits.push_back([=](q3sim::SimUnit& u) { u.setLastUpdate(t); });
    } else if (a == "--note") {
      std::string v = next();
      identEdits.push_back([v](q3sim::SimUnit& u) { u.setNote(v.c_str()); });
    } else if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else {
      std::fprintf(stderr, "quelin3-unit-sim: unknown option %s\n", a.c_str());
      usage();
      return 2;
    }
  }
  if (!q3::isFamilyA(cfg.protocol) && !q3::isFamilyB(cfg.protocol)) {
    std::fprintf(stderr, "quelin3-unit-sim: unknown protocol %d\n", cfg.protocol);
    return 2;
  }
  if (baud == 0) baud = cfg.protocol == q3::kProto3300 ? 115200 : 57600;

  q3sim::SimUnit unit(cfg);
  for (auto& e : identEdits) e(unit);
  unit.ident[10] = uint8_t(cfg.versionMajor);
  unit.ident[11] = uint8_t(cfg.versionMinor);
  if (!memFile.empty() && !unit.loadMemory(memFile)) unit.saveMemory(memFile);

  FILE* log = logFile.empty() ? nullptr : std::fopen(logFile.c_str(), "a");
  const int64_t t0 = nowUs();
  if (log) {
    unit.frameLog = [&](const char* dir, const uint8_t* f, int n) {
      std::fprintf(log, "%10.3f %-3s %4d:", double(nowUs() - t0) / 1000.0, dir, n);
      for (int k = 0; k < n; ++k) std::fprintf(log, " %02x", f[k]);
      std::fputc('\n', log);
      std::fflush(log);
    };
  }

  int fd = -1, slaveFd = -1;
  std::string shown;
  if (!device.empty()) {
    fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || !setRaw(fd, baud)) {
      std::fprintf(stderr, "quelin3-unit-sim: cannot open %s: %s\n", device.c_str(),
                   std::strerror(errno));
      return 1;
    }
    shown = device;
  } else {
    fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
      std::perror("quelin3-unit-sim: pseudo-terminal");
      return 1;
    }
    const char* name = ptsname(fd);
    // Keep the slave open so the terminal survives the program closing and reopening it.
    slaveFd = open(name, O_RDWR | O_NOCTTY);
    if (slaveFd >= 0) setRaw(slaveFd, baud);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    shown = name;
    if (!link.empty()) {
      unlink(link.c_str());
      if (symlink(name, link.c_str()) != 0) {
        std::fprintf(stderr, "quelin3-unit-sim: cannot link %s: %s\n", link.c_str(),
                     std::strerror(errno));
        return 1;
      }
      shown = link;
    }
  }
  std::printf("%s\n", shown.c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "quelin3-unit-sim: protocol %d at %d Bd on %s\n", cfg.protocol, baud,
               shown.c_str());

  signal(SIGTERM, onSignal);
  signal(SIGINT, onSignal);
  signal(SIGHUP, onSignal);
  signal(SIGPIPE, SIG_IGN);

  q3sim::SimLine line(unit, baud, pace, delayMs);
  int64_t lastSave = nowUs();
  std::vector<uint8_t> toProgram;
  uint8_t buf[4096];
  while (!g_quit) {
    int64_t now = nowUs();
    int timeoutMs = 1;
    if (line.idle()) timeoutMs = 20;
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, timeoutMs);
    now = nowUs();
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) line.fromProgram(buf, int(n), now, anyRate || lineRateMatches(slaveFd, baud));
    toProgram.clear();
    line.step(now, toProgram, sizeof buf);
    const int m = int(toProgram.size());
    if (m > 0) {
      const ssize_t w = write(fd, toProgram.data(), size_t(m));
      // The terminal is full: put back what did not go out.
      const int sent = int(std::max<ssize_t>(w, 0));
      if (sent < m) line.putBack(toProgram.data() + sent, m - sent, now);
    }
    if (!memFile.empty() && unit.memoryDirty && now - lastSave > 500000) {
      unit.saveMemory(memFile);
      unit.memoryDirty = false;
      lastSave = now;
    }
  }
  if (!memFile.empty() && unit.memoryDirty) unit.saveMemory(memFile);
  if (!link.empty() && device.empty()) unlink(link.c_str());
  if (log) std::fclose(log);
  if (slaveFd >= 0) close(slaveFd);
  close(fd);
  return 0;
}
