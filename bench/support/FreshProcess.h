// What the end-to-end benchmarks share: a sequence of phases run in a fresh
// child process (a fresh heap, no display lists or driver state from an
// earlier benchmark), each phase measured for processor time (the whole
// process, so the driver's rasteriser threads count), the main thread's
// processor time, wall time and the process's peak resident set during the
// phase; and a benchmark entry per phase that reports those figures.
//
//   kelto::bench::PhaseLog log = kelto::bench::RunFresh([&](PhaseClock& clock) {
//     clock.Start();  ... clock.Stop("load");
//   });
#pragma once

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

namespace kelto::bench {

struct PhaseFigures {
  double cpu = 0, threadCpu = 0, wall = 0;  // seconds
  double peakMB = 0, rssMB = 0;             // the phase's peak, and at its end
  double extra = 0;                         // a figure of the phase's own (see its user)
};
using PhaseLog = std::map<std::string, PhaseFigures>;

inline double ClockSeconds(clockid_t id) {
  timespec ts{};
  clock_gettime(id, &ts);
  return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// VmHWM or VmRSS of this process in MB.
inline double StatusMB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, key.size(), key) == 0) return std::atof(line.c_str() + key.size()) / 1024.0;
  }
  return 0;
}

class PhaseClock {
 public:
  // Starts a phase: the peak resident set is reset to the current one.
  void Start() {
    std::ofstream("/proc/self/clear_refs") << "5";
    m_cpu = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    m_thread = ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
    m_wall = ClockSeconds(CLOCK_MONOTONIC);
  }
  PhaseFigures& Stop(const std::string& name) {
    PhaseFigures& f = m_log[name];
    f.cpu = ClockSeconds(CLOCK_PROCESS_CPUTIME_ID) - m_cpu;
    f.threadCpu = ClockSeconds(CLOCK_THREAD_CPUTIME_ID) - m_thread;
    f.wall = ClockSeconds(CLOCK_MONOTONIC) - m_wall;
    f.peakMB = StatusMB("VmHWM");
    f.rssMB = StatusMB("VmRSS");
    return f;
  }
  const PhaseLog& Log() const { return m_log; }

 private:
  double m_cpu = 0, m_thread = 0, m_wall = 0;
  PhaseLog m_log;
};

// Runs `phases` in a forked child and returns what its clock recorded; an
// empty log when the child failed. The parent must not have touched GL.
inline PhaseLog RunFresh(const std::function<void(PhaseClock&)>& phases) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    PhaseClock clock;
    try {
      phases(clock);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "fresh process: %s\n", e.what());
      _exit(1);
    }
    std::ostringstream out;
    out.precision(9);
    for (const auto& [name, f] : clock.Log())
      out << name << ' ' << f.cpu << ' ' << f.threadCpu << ' ' << f.wall << ' ' << f.peakMB << ' '
          << f.rssMB << ' ' << f.extra << '\n';
    const std::string text = out.str();
    std::size_t written = 0;
    while (written < text.size()) {
      const ssize_t n = write(fds[1], text.data() + written, text.size() - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    // Leave without destructors: the figures are out, and the exit phase has
    // been measured already where a benchmark wants it.
    _exit(0);
  }
  close(fds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  PhaseLog log;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return log;
  std::istringstream in(text);
  std::string name;
  PhaseFigures f;
  while (in >> name >> f.cpu >> f.threadCpu >> f.wall >> f.peakMB >> f.rssMB >> f.extra)
    log[name] = f;
  return log;
}

// The machine's load average over the last minute, for the record.
inline double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : -1;
}

// One benchmark iteration reporting a phase: processor time as the time,
// the rest as counters.
inline void ReportPhase(benchmark::State& state, const PhaseFigures& f, double components) {
  for (auto _ : state) state.SetIterationTime(f.cpu);
  state.counters["thread_cpu_s"] = f.threadCpu;
  state.counters["wall_s"] = f.wall;
  state.counters["peak_MB"] = f.peakMB;
  state.counters["rss_MB"] = f.rssMB;
  state.counters["rss_KB_per_component"] = f.rssMB * 1024.0 / components;
  state.counters["load"] = LoadAverage();
}

// The same for the phase named by the label, or an error when the fresh
// process that should have measured it failed.
inline void ReportPhase(benchmark::State& state, const PhaseLog& log, const std::string& phase,
                        double components) {
  state.SetLabel(phase);
  const auto it = log.find(phase);
  if (it == log.end()) {
    state.SkipWithError("the fresh process failed");
    for (auto _ : state) {
    }
    return;
  }
  ReportPhase(state, it->second, components);
}

}  // namespace kelto::bench
