#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Checks the release packages the way an integrator uses them, from the packages alone.

Every check is a named case, run in the order below; each prints PASS, FAIL or SKIP with what it
showed or why, and a summary line ends the run (exit status 1 on any FAIL):

  files, licence          the files of every package; the licence in every archive
  deb/lintian             no error and no warning (the tags that stay are overridden, with the
                          reason, in packaging/debian/*.lintian-overrides)
  deb/...                 the Debian packages installed: the example hosts built with pkg-config,
                          with find_package(Torv 1.1 CONFIG) and with the guide's compile lines
                          against /usr and run, the installed commands, then removed
  archive/...             the same builds against the unpacked Linux archive
  zip-<arch>/...          per Windows ZIP: its commands draw pictures; hosts linked with mingw-w64
                          against lib<name>.dll.a (by hand, by the guide's and README.txt's lines,
                          through the ZIP's CMake package) and with clang for *-windows-msvc and
                          lld-link against <name>.lib (by hand and through CMake); each imports
                          only names the DLLs export and runs under Wine (32-bit ones only where
                          the machine can execute 32-bit programs, otherwise SKIP)

Usage: python3 scripts/check_packages.py [--dist DIR] [--list] [-k PATTERN]... [work-dir]
Without --dist it builds the packages first (scripts/package.sh, every platform) into work-dir
(default build-check-packages). -k runs only the cases whose name contains PATTERN or matches it
as a shell pattern (zip-*/lld-link*).
"""
import argparse
import fnmatch
import os
import re
import shlex
import shutil
import signal
import struct
import subprocess
import sys
import tarfile
import time
import zipfile
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
HOSTS = {"vesk_host": "TorvVeskClientSession", "pdf417_host": "torvc_pdf417"}  # loaded by name
DLLS = ("TorvVeskClientSession.dll", "torvc_pdf417.dll")


class Failed(Exception):
    """A case found a fault. `details` (a command's output) is shown above the FAIL line."""

    def __init__(self, why, details=""):
        super().__init__(why)
        self.details = details


class Skipped(Exception):
    """A case that cannot run here; the reason says what it did and did not do."""


def run(cmd, *, cwd=None, env=None, shell=False, note=None):
    """Runs a command as the log shows it ("+ ..."), returns its output (stderr included) and
    fails the case when it fails."""
    shown = cmd if shell else shlex.join(str(c) for c in cmd)
    name = shown.split()[0] if shell else Path(str(cmd[0])).name
    if env:
        shown = " ".join(f"{k}={v}" for k, v in env.items()) + " " + shown
    if cwd:
        shown = f"(cd {cwd}) {shown}"
    print(f"+ {note + ' ' if note else ''}{shown}", flush=True)
    result = subprocess.run(cmd if shell else [str(c) for c in cmd], cwd=cwd, shell=shell,
                            executable="/bin/bash" if shell else None,
                            env={**os.environ, **env} if env else None, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, text=True, errors="replace")
    if result.returncode != 0:
        raise Failed(f"{name} exited with status {result.returncode}", result.stdout)
    return result.stdout


def last_line(text):
    lines = text.strip().splitlines()
    return lines[-1] if lines else ""


def fresh_dir(path):
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def once(method):
    """A step that several cases need (installing, unpacking) runs once; its failure fails each of
    them the same way instead of being tried again."""
    def wrapper(self, *args):
        key = (method.__name__, *args)
        if key not in self.done:
            try:
                self.done[key] = (True, method(self, *args))
            except Failed as e:
                self.done[key] = (False, e)
        ok, value = self.done[key]
        if not ok:
            raise value
        return value
    return wrapper


# The start of a consumer's CMakeLists.txt: the package found by version, and where from.
CONSUMER_CMAKE_HEAD = """cmake_minimum_required(VERSION 3.20)
project(torv_consumer C)
find_package(Torv 1.1 CONFIG REQUIRED)
message(STATUS "Torv ${Torv_VERSION} from ${Torv_DIR}")
"""


class Check:
    """What the cases share: the packages, the work folder, and the steps several cases need."""

    def __init__(self, dist, work):
        self.dist, self.work = dist, work
        cmakelists = (SOURCE / "CMakeLists.txt").read_text()
        self.version = re.search(r"^project\(torv .*VERSION ([0-9.]+)", cmakelists, re.M).group(1)
        self.arch = os.uname().machine
        self.deb_arch = subprocess.check_output(["dpkg", "--print-architecture"], text=True).strip()
        self.multiarch = subprocess.check_output(["dpkg-architecture", "-qDEB_HOST_MULTIARCH"], text=True).strip()
        self.done = {}
        self.installed = []  # Debian packages this run installed and has not removed yet

    # --- the packages -------------------------------------------------------------------------

    def deb(self, package):
        return self.dist / f"{package}_{self.version}_{self.deb_arch}.deb"

    def debs(self):
        """libtorv and libtorv-dev, and torv-tools unless the packages were built without commands."""
        packages = ["libtorv", "libtorv-dev"] + (["torv-tools"] if self.deb("torv-tools").exists() else [])
        for package in packages:
            if not self.deb(package).exists():
                raise Failed(f"{self.deb(package).name} is not in {self.dist}")
        return packages

    def members(self, archive):
        """The files of a package, without its directories."""
        if archive.suffix == ".deb":
            # "mode owner size date time ./path[ -> target]"
            listing = run(["dpkg-deb", "-c", archive])
            names = [line.split(None, 5)[5].split(" -> ")[0] for line in listing.splitlines()]
            return [n.removeprefix(".") for n in names if not n.endswith("/")]
        if archive.suffix == ".zip":
            with zipfile.ZipFile(archive) as z:
                return [n for n in z.namelist() if not n.endswith("/")]
        with tarfile.open(archive) as t:
            return [m.name for m in t.getmembers() if not m.isdir()]

    @once
    def install_debs(self):
        packages = self.debs()
        self.installed = packages
        run(["dpkg", "-i", *(self.deb(p) for p in packages)])
        return packages

    def remove_debs(self):
        packages, self.installed = self.installed, []
        self.done.pop(("install_debs",), None)
        if packages:
            run(["dpkg", "-r", *packages])

    @once
    def linux_tree(self):
        archive = self.dist / f"torv-{self.version}-linux-{self.arch}.tar.gz"
        if not archive.exists():
            raise Failed(f"{archive.name} is not in {self.dist}")
        unpacked = fresh_dir(self.work / "unpacked")
        run(["tar", "-xzf", archive, "-C", unpacked])
        return unpacked / f"torv-{self.version}-linux-{self.arch}"

    @once
    def windows_tree(self, arch):
        """The unpacked ZIP, and a folder to run hosts in with the DLLs beside them."""
        archive = self.dist / f"torv-{self.version}-windows-{arch}.zip"
        if not archive.exists():
            raise Skipped(f"{archive.name} is not in {self.dist}")
        out = fresh_dir(self.work / f"windows-{arch}")
        run(["unzip", "-q", archive, "-d", out])
        tree = out / f"torv-{self.version}-windows-{arch}"
        bin_dir = fresh_dir(out / "run")
        for dll in (tree / "bin").glob("*.dll"):
            shutil.copy(dll, bin_dir)
        return tree, bin_dir

    # --- building and running -----------------------------------------------------------------

    def run_host(self, program, libdir=None):
        """Runs a Linux example host; each prints its steps and exits with 0 when all behave as documented."""
        env = {"LD_LIBRARY_PATH": str(libdir)} if libdir else None
        return last_line(run([program], env=env))

    def guide_lines(self, prefix):
        """The integration guide's own compile lines (section 7) that start with `prefix`."""
        guide = (SOURCE / "docs/integration.md").read_text()
        lines = [m.group(1) for m in re.finditer(r"^    (.*)$", guide, re.M) if m.group(1).startswith(prefix)]
        if not lines:
            raise Failed(f"the guide has no line starting with {prefix}")
        return lines

    def run_guide(self, prefix, cwd):
        return [run(line, cwd=cwd, shell=True, note="(guide)") for line in self.guide_lines(prefix)]

    def pkg_config_hosts(self, examples, pcdir, libdir=None):
        """Both example hosts that load a library by name and the linked one, built with the flags
        pkg-config gives from one installed tree only, and run."""
        pc_env = {"PKG_CONFIG_PATH": str(pcdir), "PKG_CONFIG_LIBDIR": str(pcdir)}
        out = fresh_dir(self.work / f"hosts-{'archive' if libdir else 'deb'}")
        builds = [(host, [library], ["-ldl"]) for host, library in HOSTS.items()]
        builds.append(("linked_host", ["TorvVeskClientSession", "torvc_pdf417"], []))
        shown = []
        for host, libraries, extra in builds:
            flags = run(["pkg-config", "--cflags", "--libs", *libraries], env=pc_env).split()
            print("  " + " ".join(flags))
            run(["cc", "-std=c11", "-Wall", "-Wextra", "-Werror", examples / f"{host}.c", *flags, *extra,
                 "-o", out / host])
            shown.append(self.run_host(out / host, libdir))
        return "; ".join(shown)

    def cmake_hosts(self, examples, prefix, libdir=None):
        """The three hosts through find_package(Torv 1.1 CONFIG), which must find this tree."""
        out = fresh_dir(self.work / f"cmake-{'archive' if libdir else 'deb'}")
        (out / "CMakeLists.txt").write_text(CONSUMER_CMAKE_HEAD + f"""
foreach(host vesk_host:TorvVeskClientSession pdf417_host:torvc_pdf417)
  string(REPLACE ":" ";" parts ${{host}})
  list(GET parts 0 name)
  list(GET parts 1 library)
  add_executable(${{name}} {examples}/${{name}}.c)
  target_link_libraries(${{name}} PRIVATE Torv::${{library}} ${{CMAKE_DL_LIBS}})
endforeach()
add_executable(linked_host {examples}/linked_host.c)
target_link_libraries(linked_host PRIVATE Torv::TorvVeskClientSession Torv::torvc_pdf417)
set_target_properties(vesk_host pdf417_host linked_host PROPERTIES C_STANDARD 11)
""")
        found = self.configure(out, prefix, ["-DCMAKE_PREFIX_PATH=" + str(prefix),
                                             "-DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF",
                                             "-DCMAKE_C_FLAGS=-Wall -Wextra -Werror"])
        shown = [self.run_host(out / "build" / host, libdir) for host in ("vesk_host", "pdf417_host", "linked_host")]
        return found + "; " + "; ".join(shown)

    def configure(self, project, tree, options):
        """Configures and builds a consumer project; returns its "Torv <version> from <dir>" line,
        which must name the package under test."""
        output = run(["cmake", "-S", project, "-B", project / "build", *options])
        found = next((line.removeprefix("-- ") for line in output.splitlines() if "Torv " in line), None)
        if found is None:
            raise Failed("the consumer project printed no Torv line", output)
        if f" from {tree}/" not in found:
            raise Failed(f"find_package found another Torv: {found}")
        run(["cmake", "--build", project / "build"])
        return found

    def can_run_32bit(self):
        """A kernel without IA-32 emulation cannot start the 32-bit Wine loader."""
        if "32bit" not in self.done:
            try:
                probe = subprocess.run(["/usr/lib/wine/wine", "--version"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
                self.done["32bit"] = probe.returncode == 0
            except OSError:
                self.done["32bit"] = False
        return self.done["32bit"]

    def run_windows(self, program, *args, cwd=None):
        """Runs a Windows program under Wine; a 32-bit one where the machine cannot run it makes the
        case a SKIP, after the steps before it passed."""
        data = Path(program).read_bytes()[:4096]
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if struct.unpack_from("<H", data, pe + 4)[0] == 0x14C and not self.can_run_32bit():
            raise Skipped(f"{Path(program).name} not run, this machine cannot execute 32-bit programs;"
                          " everything before running it passed")
        return run([SOURCE / "cmake/wine-run.sh", program, *args], cwd=cwd)

    def check_imports(self, program, tree):
        """Every name a program imports from the two DLLs must be one that DLL exports (its .def
        file): a decorated name (_name, name@n) would fail to load."""
        exported = {}
        for definition in (tree / "lib").glob("*.def"):
            text = definition.read_text()
            library = re.search(r"^LIBRARY\s+(\S+)", text, re.M).group(1)
            exported[library] = set(re.findall(r"^  ([A-Za-z_][A-Za-z0-9_]*)$", text, re.M))
        imported, dll = [], None
        for line in run(["llvm-readobj", "--coff-imports", program]).splitlines():
            words = line.split()
            if words[:1] == ["Name:"]:
                dll = words[1]
            elif words[:1] == ["Symbol:"] and dll in DLLS:
                imported.append((dll, words[1]))
        wrong = [f"{dll}:{name}" for dll, name in imported if name not in exported.get(dll, ())]
        if not imported or wrong:
            raise Failed(f"{Path(program).name} imports names the DLLs do not export: {' '.join(wrong) or 'none'}")
        return f"{Path(program).name} imports {len(imported)} names, each exported by its DLL"

    @once
    def kernel32_lib(self, arch):
        """The one Windows function msvc_host calls, as an import library (no Windows SDK here)."""
        out = self.work / f"windows-{arch}"
        decoration = "@4" if arch == "i686" else ""
        (out / "kernel32.def").write_text(f"LIBRARY kernel32.dll\nEXPORTS\n  ExitProcess{decoration}\n")
        run(["llvm-dlltool", "-m", "i386" if arch == "i686" else "i386:x86-64", "-d", out / "kernel32.def", "-k",
             "-l", out / "kernel32.lib"])
        return out / "kernel32.lib"


# --- the cases, in the order they run ----------------------------------------------------------


def case_files(c):
    """Lists the files of every package."""
    count = 0
    for package in sorted(c.dist.glob("*.deb")) + sorted(c.dist.glob("*.tar.gz")) + sorted(c.dist.glob("*.zip")):
        print(f"-- {package.name}")
        if package.suffix == ".deb":
            print(run(["dpkg-deb", "-f", package, "Package", "Version", "Depends", "Breaks", "Replaces"]), end="")
        for name in c.members(package):
            print("  " + name)
        count += 1
    if count == 0:
        raise Failed(f"no packages in {c.dist}")
    return f"{count} packages listed"


def case_licence(c):
    """Every archive carries the licence, the debug-symbol ones included."""
    archives = sorted(c.dist.glob("*.tar.gz")) + sorted(c.dist.glob("*.zip"))
    licence = re.compile(r"^[^/]+/(LICENSE\.txt|LICENSE|share/doc/torv/LICENSE)$")
    without = [a.name for a in archives if not any(licence.match(m) for m in c.members(a))]
    if without:
        raise Failed("no licence in " + ", ".join(without))
    return f"in each of {len(archives)} archives"


def case_lintian(c):
    """lintian finds no error and no warning in the Debian packages."""
    # Overridden tags are shown (O:, with their reasons as N:).
    packages = c.debs()
    output = run(["lintian", "--show-overrides", "--fail-on", "none", *(c.deb(p) for p in packages)])
    lines = [line for line in output.splitlines() if "running with root privileges" not in line]
    (c.work / "lintian.log").write_text("\n".join(lines) + "\n")
    print("\n".join(lines))
    bad = [line for line in lines if line.startswith(("E:", "W:"))]
    if bad:
        raise Failed(f"{len(bad)} errors or warnings: {bad[0]}")
    overridden = sum(line.startswith("O:") for line in lines)
    return f"no errors or warnings in {len(packages)} packages, {overridden} tags overridden"


DEB_EXAMPLES = Path("/usr/share/doc/libtorv-dev/examples")


def case_deb_pkg_config(c):
    """The installed packages: the hosts built with pkg-config against /usr, run."""
    c.install_debs()
    pcdir = Path(f"/usr/lib/{c.multiarch}/pkgconfig")
    return c.pkg_config_hosts(DEB_EXAMPLES, pcdir)


def case_deb_cmake(c):
    """The installed packages: the hosts built with find_package(Torv 1.1 CONFIG) against /usr, run."""
    c.install_debs()
    return c.cmake_hosts(DEB_EXAMPLES, Path("/usr"))


def case_deb_guide(c):
    """The installed packages: the guide's compile lines run as written, the hosts run."""
    c.install_debs()
    out = fresh_dir(c.work / "guide-deb")
    c.run_guide(f"cc -std=c11 {DEB_EXAMPLES.parent}/", out)
    return "; ".join(c.run_host(out / host) for host in ("vesk_host", "pdf417_host", "linked_host"))


def case_deb_tools(c):
    """The installed commands; pdf417-encode --verify finds its installed reader."""
    if "torv-tools" not in c.install_debs():
        raise Skipped("no torv-tools package (packages built without the commands)")
    version = last_line(run(["pdf417", "--version"]))
    verified = last_line(run(["pdf417-encode", "--verify", "-v", "-o", c.work / "verified.png", "Order 4711"]))
    return f"{version}; {verified}"


def case_deb_remove(c):
    """The packages removed leave none of their files behind."""
    packages = c.install_debs()
    files = [f for p in packages for f in c.members(c.deb(p))]
    c.remove_debs()
    stayed = [f for f in files if os.path.lexists(f)]
    if stayed:
        raise Failed(f"{len(stayed)} files stayed after removing the packages: {' '.join(stayed[:5])}")
    return f"removed {', '.join(packages)}; none of their {len(files)} files stayed"


def case_archive_pkg_config(c):
    """The unpacked Linux archive: the hosts built with pkg-config against it, run."""
    tree = c.linux_tree()
    return c.pkg_config_hosts(tree / "share/doc/torv/examples", tree / "lib/pkgconfig", tree / "lib")


def case_archive_cmake(c):
    """The unpacked Linux archive: the hosts built with find_package(Torv 1.1 CONFIG) against it, run."""
    tree = c.linux_tree()
    return c.cmake_hosts(tree / "share/doc/torv/examples", tree, tree / "lib")


def case_archive_guide(c):
    """The unpacked Linux archive: the guide's lines run as written in its folder."""
    tree = c.linux_tree()
    c.run_guide("cc -std=c11 -Iinclude share/doc/torv/", tree)
    return "; ".join(last_line(output) for output in c.run_guide("./vesk_host lib/", tree))


PNG = b"\x89PNG\r\n\x1a\n"


def zip_commands(c, arch):
    """The commands write PNG pictures, run from the unpacked ZIP as they are."""
    # Static programs: nothing beside them.
    tree, _ = c.windows_tree(arch)
    if not (tree / "bin/pdf417.exe").exists():
        raise Skipped("no commands in the ZIP (packages built without them)")
    out = tree.parent
    shown = []
    for command in ("pdf417", "pdf417-encode"):
        picture = out / f"{command}.png"
        picture.unlink(missing_ok=True)
        c.run_windows(tree / f"bin/{command}.exe", "-q", "-o", picture, "Order 4711")
        if not picture.exists() or not picture.read_bytes().startswith(PNG):
            raise Failed(f"{command}.exe wrote no PNG picture")
        shown.append(f"{command}.exe wrote {picture.stat().st_size} bytes of PNG")
    return "; ".join(shown)


def zip_mingw(c, arch):
    """linked_host linked by hand with mingw-w64 against lib<name>.dll.a, run."""
    tree, bin_dir = c.windows_tree(arch)
    host = bin_dir / "linked_host.exe"
    run([f"{arch}-w64-mingw32-gcc", "-std=c11", "-Wall", "-Wextra", "-Werror", "-I", tree / "include",
         tree / "doc/examples/linked_host.c", "-L", tree / "lib", "-lTorvVeskClientSession", "-ltorvc_pdf417",
         "-o", host])
    imports = c.check_imports(host, tree)
    return f"{imports}; {last_line(c.run_windows(host))}"


def zip_guide(c, arch):
    """The guide's mingw-w64 lines, run as written in the ZIP's folder; the hosts run."""
    tree, bin_dir = c.windows_tree(arch)
    c.run_guide(f"{arch}-w64-mingw32-gcc -std=c11 -Iinclude doc/", tree)
    shown = []
    for host in ("pdf417_host.exe", "linked_host.exe"):
        shutil.copy(tree / host, bin_dir / f"guide_{host}")
        shown.append(last_line(c.run_windows(bin_dir / f"guide_{host}")))
    return "; ".join(shown)


def zip_readme(c, arch):
    """README.txt's mingw-w64 line and cmd.exe examples run as written; the examples write pictures."""
    # From the unpacked folder, with the cross compiler for gcc, / for \ and the commands under Wine.
    tree, bin_dir = c.windows_tree(arch)
    readme = (tree / "README.txt").read_text().replace("\r", "")
    compile_line = re.search(r"^  mingw-w64: *(gcc .*)$", readme, re.M)
    examples = re.findall(r"^  (bin\\pdf417(?:-encode)?\.exe -.*)$", readme, re.M)
    if not compile_line or not examples:
        raise Failed("README.txt has no mingw-w64 compile line or no examples for cmd.exe")
    line = f"{arch}-w64-mingw32-" + compile_line.group(1).replace("\\", "/")
    (tree / "linked_host.exe").unlink(missing_ok=True)
    run(line, cwd=tree, shell=True, note="(README.txt)")
    host = bin_dir / "readme_host.exe"
    shutil.move(tree / "linked_host.exe", host)
    shown = [last_line(c.run_windows(host))]
    out = tree.parent
    pictures = []
    for example in examples:
        words = shlex.split(example.replace("\\", "/"))
        pictures.append(out / words[words.index("-o") + 1])
        pictures[-1].unlink(missing_ok=True)
        print(f"+ (README.txt) {example}")
        c.run_windows(tree / words[0], *words[1:], cwd=out)
    empty = [p.name for p in pictures if not p.exists() or p.stat().st_size == 0]
    if empty:
        raise Failed("README.txt's examples wrote no " + ", ".join(empty))
    return "; ".join(shown + [f"{p.name}: {p.stat().st_size} bytes" for p in pictures])


def zip_mingw_cmake(c, arch):
    """linked_host through the ZIP's CMake package and a mingw-w64 cross toolchain file, run."""
    # The toolchain file as integrators write them (packages only below CMAKE_FIND_ROOT_PATH): the
    # package is found through Torv_DIR, and Torv::... link lib<name>.dll.a.
    tree, bin_dir = c.windows_tree(arch)
    triplet = f"{arch}-w64-mingw32"
    out = fresh_dir(tree.parent / "cmake")
    (out / "toolchain.cmake").write_text(f"""set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR {arch})
set(CMAKE_C_COMPILER {triplet}-gcc)
set(CMAKE_RC_COMPILER {triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/{triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
""")
    (out / "CMakeLists.txt").write_text(CONSUMER_CMAKE_HEAD + f"""
add_executable(linked_host {tree}/doc/examples/linked_host.c)
target_link_libraries(linked_host PRIVATE Torv::TorvVeskClientSession Torv::torvc_pdf417)
set_target_properties(linked_host PROPERTIES C_STANDARD 11)
""")
    found = c.configure(out, tree, [f"-DCMAKE_TOOLCHAIN_FILE={out}/toolchain.cmake",
                                    f"-DTorv_DIR={tree}/lib/cmake/Torv"])
    host = bin_dir / "linked_host_cmake.exe"
    shutil.copy(out / "build/linked_host.exe", host)
    imports = c.check_imports(host, tree)
    return f"{found}; {imports}; {last_line(c.run_windows(host))}"


def msvc_target(arch):
    return "i686-pc-windows-msvc" if arch == "i686" else "x86_64-pc-windows-msvc"


def msvc_result(c, host):
    """msvc_host has no C runtime to print with: its exit status is the number of failed calls."""
    output = c.run_windows(host).strip()
    return output or f"{host.name}: exit status 0, every call as documented"


def zip_lld_link(c, arch):
    """msvc_host built by clang for *-windows-msvc and lld-link against <name>.lib, run."""
    tree, bin_dir = c.windows_tree(arch)
    out = tree.parent
    run(["clang++", f"--target={msvc_target(arch)}", "-std=c++17", "-O1", "-fno-exceptions", "-fno-stack-protector",
         "-Wall", "-Wextra", "-Werror", "-I", tree / "include", "-c", SOURCE / "tests/packages/msvc_host.cpp",
         "-o", out / "msvc_host.obj"])
    host = bin_dir / "msvc_host.exe"
    run(["lld-link", "/nologo", "/nodefaultlib", "/entry:start", "/subsystem:console",
         f"/machine:{'x86' if arch == 'i686' else 'x64'}", out / "msvc_host.obj",
         tree / "lib/TorvVeskClientSession.lib", tree / "lib/torvc_pdf417.lib", c.kernel32_lib(arch), f"/out:{host}"])
    imports = c.check_imports(host, tree)
    return f"{imports}; {msvc_result(c, host)}"


def zip_lld_link_cmake(c, arch):
    """msvc_host through the CMake package as an MSVC-like consumer links <name>.lib, run."""
    # clang for *-windows-msvc and lld-link: the imported targets must name <name>.lib, not the
    # mingw-w64 import libraries.
    tree, bin_dir = c.windows_tree(arch)
    out = fresh_dir(tree.parent / "cmake-msvc")
    (out / "toolchain.cmake").write_text(f"""set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR {'X86' if arch == 'i686' else 'AMD64'})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET {msvc_target(arch)})
set(CMAKE_LINKER lld-link)
# No Windows SDK or C runtime here: nothing is linked while CMake tries the compiler.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
""")
    (out / "CMakeLists.txt").write_text(f"""cmake_minimum_required(VERSION 3.20)
project(torv_msvc_consumer CXX)
find_package(Torv 1.1 CONFIG REQUIRED)
message(STATUS "Torv ${{Torv_VERSION}} from ${{Torv_DIR}}")
add_executable(msvc_host {SOURCE}/tests/packages/msvc_host.cpp)
target_compile_options(msvc_host PRIVATE -O1 -fno-exceptions -fno-stack-protector)
target_link_options(msvc_host PRIVATE -nostdlib -fuse-ld=lld -Wl,/nodefaultlib,/entry:start,/subsystem:console)
target_link_libraries(msvc_host PRIVATE Torv::TorvVeskClientSession Torv::torvc_pdf417 {c.kernel32_lib(arch)})
""")
    c.configure(out, tree, [f"-DCMAKE_TOOLCHAIN_FILE={out}/toolchain.cmake", f"-DTorv_DIR={tree}/lib/cmake/Torv"])
    link = (out / "build/CMakeFiles/msvc_host.dir/linkLibs.rsp").read_text()
    if "dll.a" in link or "TorvVeskClientSession.lib" not in link or "torvc_pdf417.lib" not in link:
        raise Failed(f"the CMake package gives an MSVC consumer no <name>.lib: {link.strip()}")
    host = bin_dir / "msvc_host_cmake.exe"
    shutil.copy(out / "build/msvc_host.exe", host)
    imports = c.check_imports(host, tree)
    return f"linked through <name>.lib; {imports}; {msvc_result(c, host)}"


def cases():
    listed = [
        ("files", case_files),
        ("licence", case_licence),
        ("deb/lintian", case_lintian),
        ("deb/pkg-config", case_deb_pkg_config),
        ("deb/cmake", case_deb_cmake),
        ("deb/guide", case_deb_guide),
        ("deb/tools", case_deb_tools),
        ("deb/remove", case_deb_remove),
        ("archive/pkg-config", case_archive_pkg_config),
        ("archive/cmake", case_archive_cmake),
        ("archive/guide", case_archive_guide),
    ]
    for arch in ("x86_64", "i686"):
        steps = [("commands", zip_commands), ("mingw", zip_mingw), ("guide", zip_guide), ("readme", zip_readme),
                 ("mingw-cmake", zip_mingw_cmake), ("lld-link", zip_lld_link), ("lld-link-cmake", zip_lld_link_cmake)]
        for step, function in steps:
            if step == "guide" and arch != "x86_64":
                continue  # the guide's Windows lines are written for the x86_64 folder
            listed.append((f"zip-{arch}/{step}", lambda c, f=function, a=arch: f(c, a)))
            listed[-1][1].__doc__ = function.__doc__
    return listed


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("work", nargs="?", default="build-check-packages", help="work folder")
    parser.add_argument("--dist", type=Path, help="check these packages instead of building them")
    parser.add_argument("--list", action="store_true", help="list the cases and exit")
    parser.add_argument("-k", dest="patterns", action="append", metavar="PATTERN", help="run matching cases only")
    args = parser.parse_args()

    selected = [(name, function) for name, function in cases()
                if not args.patterns or any(p in name or fnmatch.fnmatch(name, p) for p in args.patterns)]
    if not selected:
        sys.exit(f"check_packages.py: no case matches {' '.join(args.patterns)}")
    if args.list:
        for name, function in selected:
            print(f"{name:26}{function.__doc__}")
        return 0

    start = time.monotonic()
    # A stopped run still removes the packages it installed (finally, below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    os.chdir(SOURCE)
    work = Path(args.work).resolve()
    work.mkdir(parents=True, exist_ok=True)
    # The tools this check runs, and the package build: their output goes straight to the log.
    setup = [["bash", "scripts/install-deps.sh"],
             ["bash", "-c", ". scripts/apt-install.sh && apt_install_missing --no-install-recommends wine64 wine32:i386"]]
    dist = args.dist.resolve() if args.dist else work / "dist"
    if not args.dist:
        setup.append(["bash", "scripts/package.sh", "--out", str(dist), "--build-root", str(work / "build-package")])
    for command in setup:
        print("+ " + shlex.join(command), flush=True)
        if subprocess.run(command).returncode != 0:
            sys.exit(f"check_packages.py: {shlex.join(command)} failed")
    check = Check(dist, work)

    outcomes = {"PASS": [], "FAIL": [], "SKIP": []}
    try:
        for name, function in selected:
            print(f"\n== {name}: {function.__doc__}", flush=True)
            try:
                result, text = "PASS", f"{name} ({function(check)})"
            except Failed as e:
                if e.details:
                    print("  " + "\n  ".join(e.details.rstrip().splitlines()[-40:]))
                result, text = "FAIL", f"{name}: {e}"
            except Skipped as e:
                result, text = "SKIP", f"{name}: {e}"
            except (OSError, subprocess.SubprocessError, ValueError) as e:
                result, text = "FAIL", f"{name}: {type(e).__name__}: {e}"
            outcomes[result].append(name)
            print(f"{result} {text}", flush=True)
    finally:
        if check.installed:
            print(f"\nremoving the packages this run installed: {' '.join(check.installed)}")
            subprocess.run(["dpkg", "-r", *check.installed], stdout=subprocess.DEVNULL)

    seconds = round(time.monotonic() - start)
    print(f"\ncheck_packages.py: {len(outcomes['PASS'])} passed, {len(outcomes['FAIL'])} failed, {len(outcomes['SKIP'])} skipped"
          f" of {len(selected)} cases in {seconds} s")
    for result in ("FAIL", "SKIP"):
        if outcomes[result]:
            print(f"*** {result}: {' '.join(outcomes[result])}")
    return 1 if outcomes["FAIL"] else 0


if __name__ == "__main__":
    sys.exit(main())
