#!/usr/bin/python3
"""Password-protected documents made by LibreOffice and msoffcrypto-tool, read by scrivlet.

    tools/encrypted_round_trip.py [--scrivlet build/scrivlet] [--corpus DIR] [--keep DIR]

Starts LibreOffice headless (Debian: libreoffice-writer-nogui,
libreoffice-impress-nogui, python3-uno) and saves one text with a password
as .doc (MS Word 97), .docx (MS Word 2007 XML), .odt (AES, and Blowfish when
the configuration still offers it) and .odp; msoffcrypto-tool
(python3-msoffcrypto-tool, 5.1 and later) encrypts LibreOffice's plain .docx
(agile).  For
each file it runs scrivlet with the password, with a wrong one and with none,
and compares scrivlet's words with LibreOffice's text of the same file opened
with the password (Writer files) or with the text put in (the slides):
F1 = 2 * common / (ours + theirs) over the word multisets.

With --corpus, the encrypted corpus files are compared the same way, and
scrivlet's time is set beside msoffcrypto-tool's decryption time (the median
of five runs each).  Exits 77 when LibreOffice or python3-uno is missing.
"""
import argparse
import collections
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

PASSWORD = "s\u00e9same 42"
WORDS = ("Quarterly minutes of the board: the budget for \u00e9t\u00e9 was approved, "
         "the new office opens in M\u00fcnchen next spring, and twelve people join "
         "the team in September.")
PARAGRAPHS = [WORDS, "Second paragraph: " + WORDS[::-1].title(), "Zw\u00f6lf Boxk\u00e4mpfer jagen Viktor."]

CORPUS = [
    ("doc/poi_password_password_cryptoapi.doc", "password"),
    ("doc/poi_PasswordProtected.doc", None),
    ("docx/poi_bug53475-password-is-pass.docx", "pass"),
    ("docx/poi_bug53475-password-is-solrcell.docx", "solrcell"),
    ("odt/tika_testODTEncrypted.odt", "tika"),
]


def words(text):
    return collections.Counter(text.split())


def f1(ours, theirs):
    a, b = words(ours), words(theirs)
    total = sum(a.values()) + sum(b.values())
    return 1.0 if total == 0 else 2 * sum((a & b).values()) / total


def run(command, timeout=120):
    started = time.perf_counter()
    result = subprocess.run(command, capture_output=True, timeout=timeout)
    return (result.returncode, result.stdout.decode("utf-8", "replace"),
            result.stderr.decode("utf-8", "replace").strip(), time.perf_counter() - started)


class Office:
    def __init__(self, profile, work):
        self.work = work
        import uno  # noqa: F401  (python3-uno)
        self.uno = uno
        self.process = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
             "-env:UserInstallation=file://" + profile,
             "--accept=socket,host=127.0.0.1,port=2083;urp;"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(120):
            try:
                self.context = resolver.resolve(
                    "uno:socket,host=127.0.0.1,port=2083;urp;StarOffice.ComponentContext")
                break
            except Exception:
                time.sleep(0.5)
        else:
            raise RuntimeError("LibreOffice did not answer")
        self.desktop = self.context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", self.context)

    def props(self, **values):
        from com.sun.star.beans import PropertyValue
        out = []
        for name, value in values.items():
            p = PropertyValue()
            p.Name, p.Value = name, value
            out.append(p)
        return tuple(out)

    def set_blowfish(self, enabled):
        """The ODF 1.2 legacy switches (SHA-1 start key, Blowfish), where this build has them."""
        provider = self.context.ServiceManager.createInstanceWithContext(
            "com.sun.star.configuration.ConfigurationProvider", self.context)
        try:
            access = provider.createInstanceWithArguments(
                "com.sun.star.configuration.ConfigurationUpdateAccess",
                self.props(nodepath="/org.openoffice.Office.Common/Save/ODF"))
            access.setPropertyValue("UseBlowfishInODF12", enabled)
            access.setPropertyValue("UseSHA1InODF12", enabled)
            access.commitChanges()
            return True
        except Exception as error:
            print("  (no Blowfish switch in this LibreOffice: %s)" % error.__class__.__name__)
            return False

    def writer(self, path, filter_name, password):
        from com.sun.star.text.ControlCharacter import PARAGRAPH_BREAK
        doc = self.desktop.loadComponentFromURL("private:factory/swriter", "_blank", 0,
                                                self.props(Hidden=True))
        text = doc.Text
        cursor = text.createTextCursor()
        for paragraph in PARAGRAPHS:
            text.insertString(cursor, paragraph, False)
            text.insertControlCharacter(cursor, PARAGRAPH_BREAK, False)
        extra = {"Password": password} if password else {}
        doc.storeToURL(self.uno.systemPathToFileUrl(path), self.props(FilterName=filter_name, **extra))
        doc.close(True)

    def impress(self, path, password):
        doc = self.desktop.loadComponentFromURL("private:factory/simpress", "_blank", 0,
                                                self.props(Hidden=True))
        page = doc.DrawPages.getByIndex(0)
        shape = doc.createInstance("com.sun.star.drawing.TextShape")
        page.add(shape)
        shape.setString("\n".join(PARAGRAPHS))
        doc.storeToURL(self.uno.systemPathToFileUrl(path),
                       self.props(FilterName="impress8", Password=password))
        doc.close(True)

    def text_of(self, path, password):
        """LibreOffice's own text of a Writer file opened with its password."""
        load = {"Hidden": True}
        if password:
            load["Password"] = password
        doc = self.desktop.loadComponentFromURL(self.uno.systemPathToFileUrl(path), "_blank", 0,
                                                self.props(**load))
        if doc is None:
            return None
        # Into the work folder: never beside the document (the corpus is not ours).
        out = os.path.join(self.work, os.path.basename(path) + ".lo.txt")
        doc.storeToURL(self.uno.systemPathToFileUrl(out),
                       self.props(FilterName="Text (encoded)", FilterOptions="UTF8"))
        doc.close(True)
        with open(out, encoding="utf-8-sig") as f:
            return f.read()

    def close(self):
        try:
            self.desktop.terminate()
        except Exception:
            pass
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()


def check(scrivlet, path, password, reference):
    code, ours, err, seconds = run([scrivlet, "--password", password, path])
    wrong = run([scrivlet, "--password", "not the password", path])
    none = run([scrivlet, path])
    score = f1(ours, reference) if reference is not None else float("nan")
    print("%-34s F1 %.4f  %5.0f ms  right:%s  wrong:%r  none:%r" % (
        os.path.basename(path), score, seconds * 1000, "ok" if code == 0 else err,
        wrong[2], none[2]))
    return score


def median_time(command, runs=5):
    times = []
    for _ in range(runs):
        code, _, err, seconds = run(command)
        if code != 0:
            return None, err
        times.append(seconds)
    return statistics.median(times), ""


PEER_TIMING = """
import io, statistics, sys, time, msoffcrypto
path, password = sys.argv[1], sys.argv[2]
times = []
for _ in range(5):
    started = time.perf_counter()
    with open(path, "rb") as f:
        office = msoffcrypto.OfficeFile(f)
        office.load_key(password=password)
        office.decrypt(io.BytesIO())
    times.append(time.perf_counter() - started)
print(statistics.median(times))
"""


def peer_time_in_process(path, password):
    """msoffcrypto's own decryption time, without starting Python each time."""
    code, out, err, _ = run(["/usr/bin/python3", "-c", PEER_TIMING, path, password])
    return (float(out), "") if code == 0 else (None, err.splitlines()[-1] if err else "fails")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--scrivlet", default="build/scrivlet")
    parser.add_argument("--corpus")
    parser.add_argument("--keep")
    args = parser.parse_args()
    scrivlet = os.path.abspath(args.scrivlet)
    if shutil.which("soffice") is None:
        print("SKIP: LibreOffice (soffice) is not installed")
        return 77
    try:
        import uno  # noqa: F401
    except ImportError:
        print("SKIP: python3-uno is not installed")
        return 77
    work = args.keep or tempfile.mkdtemp(prefix="scrivlet-crypt-")
    os.makedirs(work, exist_ok=True)
    office = Office(os.path.join(work, "profile"), work)
    scores = []
    try:
        made = []
        for name, filter_name in (("lo.doc", "MS Word 97"), ("lo.docx", "MS Word 2007 XML"),
                                  ("lo-aes.odt", "writer8")):
            path = os.path.join(work, name)
            office.writer(path, filter_name, PASSWORD)
            with open(path, "rb") as f:
                if name.endswith(".docx") and f.read(4) == b"PK\x03\x04":
                    # LibreOffice 7.4 saves .docx through this interface without
                    # the password: a plain package tells nothing here.
                    print("  (LibreOffice wrote %s without encryption: left out)" % name)
                    continue
            made.append(path)
        if office.set_blowfish(True):
            path = os.path.join(work, "lo-blowfish.odt")
            office.writer(path, "writer8", PASSWORD)
            made.append(path)
            office.set_blowfish(False)
        plain = os.path.join(work, "plain.docx")
        office.writer(plain, "MS Word 2007 XML", None)
        path = os.path.join(work, "msoffcrypto-agile.docx")
        if shutil.which("msoffcrypto-tool") and subprocess.run(
                ["msoffcrypto-tool", "-e", "-p", PASSWORD, plain, path],
                capture_output=True).returncode == 0:
            made.append(path)
        else:
            print("  (this msoffcrypto-tool cannot encrypt (5.1 and later do): "
                  "no agile .docx of its making)")
        slides = os.path.join(work, "lo.odp")
        office.impress(slides, PASSWORD)

        print("== files made with a password (%r)" % PASSWORD)
        for path in made:
            scores.append(check(scrivlet, path, PASSWORD, office.text_of(path, PASSWORD)))
        scores.append(check(scrivlet, slides, PASSWORD, "\n".join(PARAGRAPHS)))

        if args.corpus:
            print("== corpus files")
            for relative, password in CORPUS:
                path = os.path.join(args.corpus, relative)
                if password is None:
                    print("%-34s password unknown: %s" % (os.path.basename(path),
                                                          run([scrivlet, path])[2]))
                    continue
                reference = office.text_of(path, password)
                scores.append(check(scrivlet, path, password, reference))
            print("== decryption time, median of 5 (scrivlet converts; msoffcrypto-tool only decrypts)")
            for relative, password in CORPUS:
                if password is None or relative.endswith(".odt"):
                    continue
                path = os.path.join(args.corpus, relative)
                ours, _ = median_time([scrivlet, "--password", password, path])
                theirs, err = median_time(["msoffcrypto-tool", "-p", password, path,
                                           os.path.join(work, "peer.out")])
                inside, _ = peer_time_in_process(path, password)
                print("%-44s scrivlet %6.1f ms  msoffcrypto-tool %s" % (
                    relative, ours * 1000,
                    "%6.1f ms (in-process decryption %6.1f ms)" % (theirs * 1000, inside * 1000)
                    if theirs is not None else "fails: " + err.splitlines()[-1]))
    finally:
        office.close()
    scores = [s for s in scores if s == s]  # files no peer could read have none
    print("median F1 %.4f, lowest %.4f" % (statistics.median(scores), min(scores)))
    return 0 if min(scores) >= 0.99 else 1


if __name__ == "__main__":
    sys.exit(main())
