// A Node.js host of scanlet through koffi: starts the scanner, prints each new
// code with the running count, and stops on Enter, Ctrl+C or when the run ends
// by itself (Esc, the window closed, no camera).
//
//   node scanlet_host.js [LIBRARY] [--known CODE]...
//
// The scanner calls back on a thread of its own. koffi runs the JavaScript
// of such a callback on the main thread, from the event loop, while the
// scanner's thread waits for it to return. So every call that waits for the
// scanner while a run exists (stop, and the count, which shares the
// scanner's lock) is made with .async, on a worker thread: made on the main
// thread it would block the very event loop that the scanner waits for.
'use strict';

const koffi = require('koffi');
const readline = require('node:readline');
const { promisify } = require('node:util');

const defaultLibrary = process.platform === 'win32' ? 'scanlet.dll' : 'libscanlet.so.1';

function parseArguments(args) {
    const options = { library: defaultLibrary, known: [] };
    for (let i = 0; i < args.length; i++) {
        if (args[i] === '--known' && i + 1 < args.length) {
            options.known.push(args[++i]);
        } else if (!args[i].startsWith('--')) {
            options.library = args[i];
        } else {
            throw new Error(`usage: node scanlet_host.js [LIBRARY] [--known CODE]...`);
        }
    }
    return options;
}

function loadScanlet(path) {
    const lib = koffi.load(path);
    const CodeCallback = koffi.proto('void QRCodeDetectedCallback(const char *code)');
    const StoppedCallback = koffi.proto('void QRCodeDetectionStoppedCallback(bool stopped)');
    const getQRCodeCount = lib.func('int32_t getQRCodeCount(void)');
    const stopQRCodeDetector = lib.func('void stopQRCodeDetector(void)');
    return {
        CodeCallback,
        StoppedCallback,
        startQRCodeDetector: lib.func('void startQRCodeDetector(QRCodeDetectedCallback *codeCallback, ' +
            'int32_t initialCount, const char **knownCodes, int32_t knownCodeCount)'),
        setQRCodeDetectionStoppedCallback: lib.func(
            'void setQRCodeDetectionStoppedCallback(QRCodeDetectionStoppedCallback *callback)'),
        getQRCodeCount,
        getQRCodeCountAsync: promisify(getQRCodeCount.async),
        stopQRCodeDetectorAsync: promisify(stopQRCodeDetector.async),
    };
}

// Resolves on Enter or Ctrl+C; a closed input (no keyboard) leaves the run's
// own end. Ctrl+C would otherwise end the process with the run going.
function waitForUser() {
    const input = readline.createInterface({ input: process.stdin });
    let onInterrupt;
    const stopped = new Promise(resolve => {
        input.once('line', resolve);
        onInterrupt = resolve;
        process.once('SIGINT', onInterrupt);
    });
    return {
        stopped,
        close: () => {
            input.close();
            process.removeListener('SIGINT', onInterrupt);
        },
    };
}

async function main() {
    const options = parseArguments(process.argv.slice(2));
    const scanlet = loadScanlet(options.library);

    // Printing waits for the count, read off the main thread; the chain keeps
    // the codes in the order they arrived.
    let printed = Promise.resolve();
    const onCode = koffi.register(code => {
        printed = printed.then(async () => {
            const count = await scanlet.getQRCodeCountAsync();
            console.log(`Code: ${code} (count ${count})`);
        });
    }, koffi.pointer(scanlet.CodeCallback));

    let runEnded;
    const ended = new Promise(resolve => { runEnded = resolve; });
    const onStopped = koffi.register(() => {
        console.log('The scanner\'s run has ended.');
        runEnded();
    }, koffi.pointer(scanlet.StoppedCallback));

    console.log('Scanning: hold a QR code in the middle of the picture. Press Enter or Esc to stop.');
    scanlet.setQRCodeDetectionStoppedCallback(onStopped);
    scanlet.startQRCodeDetector(onCode, 0, options.known.length ? options.known : null, options.known.length);

    // Nothing koffi holds keeps Node's event loop alive: without a pending
    // timer Node would exit in the middle of the run once input is closed.
    const keepAlive = setInterval(() => {}, 60 * 60 * 1000);
    const user = waitForUser();
    await Promise.race([ended, user.stopped]);
    user.close();

    // Also after a run that ended by itself: this joins the scanner's thread.
    await scanlet.stopQRCodeDetectorAsync();
    await printed;
    clearInterval(keepAlive);
    console.log(`Stopped. Codes counted: ${scanlet.getQRCodeCount()}`);

    // The library keeps the stopped callback between runs: switch it off
    // before its slot is released.
    scanlet.setQRCodeDetectionStoppedCallback(null);
    koffi.unregister(onStopped);
    koffi.unregister(onCode);
}

main().catch(error => {
    console.error(error.message);
    process.exitCode = 1;
});
