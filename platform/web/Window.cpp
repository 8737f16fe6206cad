#include "platform/Window.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/web/LegacyGl.h"
#include "platform/web/WebInput.h"
#include "platform/web/WindowNative.h"

namespace zelmor::platform {

namespace {

EM_JS(int, hasDocument, (), { return typeof document != "undefined" ? 1 : 0; });

EM_JS(int, hasCanvas, (const char* selector),
      { return document.querySelector(UTF8ToString(selector)) ? 1 : 0; });

EM_JS(void, setCanvasShown, (const char* selector, int shown), {
    document.querySelector(UTF8ToString(selector)).style.visibility = shown ? "visible" : "hidden";
});

EM_JS(int, documentHidden, (), { return document.hidden ? 1 : 0; });

// Hands the browser its turn until it is about to paint the next frame: what was drawn is
// shown, and the page's events are delivered meanwhile. A hidden page paints nothing, so there
// a timer stands in for the display.
EM_ASYNC_JS(void, waitForNextFrame, (), {
    await new Promise(function(resolve) {
        if (document.hidden) {
            setTimeout(resolve, 1000 / 60);
        } else {
            requestAnimationFrame(function() { resolve(); });
        }
    });
});

// The main loop gives the browser its turn by unwinding main, so main's return reaches no one
// and the runtime would never end: the program's exit code, the global destructors (which
// close the logs) and the page's end notice would all be skipped. This ends the runtime with
// main's result once main has really returned.
EM_JS(void, exitWhenMainReturns, (), {
    Asyncify.whenDone().then(function(code) {
        try {
            exit(code);
        } catch (thrown) {
            if (!(thrown instanceof ExitStatus)) {
                throw thrown;
            }
        }
    });
});

// The program's logs live in the page's file system; each line written to a ".log" file is
// also shown on the console, so they can be read without the file system.
EM_JS(void, echoLogsToConsole, (), {
    if (typeof FS == "undefined" || FS.zelmorEcho) {
        return;
    }
    FS.zelmorEcho = true;
    const write = FS.write;
    FS.write = function(stream, buffer, offset, length) {
        const written = write.apply(this, arguments);
        if (stream.path && stream.path.endsWith(".log") && written > 0) {
            const name = stream.path.substring(stream.path.lastIndexOf("/") + 1);
            const lines = UTF8ArrayToString(buffer, offset, written).split(String.fromCharCode(10));
            if (lines[lines.length - 1] == "") {
                lines.pop();
            }
            lines.forEach(function(line) { console.log(name + ": " + line); });
        }
        return written;
    };
});

const bool logsEchoed = (echoLogsToConsole(), true);

}  // namespace

Window::Window(std::unique_ptr<Native> native, WindowProcedure procedure)
    : native_(std::move(native)), procedure_(procedure) {
    WebInput::instance().attach(this);
}

Window::~Window() {
    destroy();
}

// A page has its document; anywhere else (Node) there is nothing to show a window on.
bool Window::registerClass() {
    return logsEchoed && hasDocument() != 0;
}

// The canvas is the window; its size becomes the client size asked for.
std::unique_ptr<Window> Window::create(const std::string&, int, int, int width, int height,
                                       WindowProcedure procedure) {
    if (hasDocument() == 0 || hasCanvas(CANVAS) == 0) {
        return nullptr;
    }
    if (emscripten_set_canvas_element_size(CANVAS, width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        return nullptr;
    }
    setCanvasShown(CANVAS, 0);
    exitWhenMainReturns();
    return std::unique_ptr<Window>(new Window(std::make_unique<Native>(), procedure));
}

// WebGL 1 without alpha or antialiasing, as a plain double-buffered window's GL. A browser
// without WebGL fails here.
bool Window::createContext() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    native_->context = emscripten_webgl_create_context(CANVAS, &attributes);
    return native_->context > 0;
}

bool Window::makeCurrent() {
    if (native_->context <= 0 ||
        emscripten_webgl_make_context_current(native_->context) != EMSCRIPTEN_RESULT_SUCCESS) {
        return false;
    }
    startLegacyGl();
    return true;
}

void Window::setTitle(const std::string& title) {
    emscripten_set_window_title(title.c_str());
}

bool Window::show(int) {
    const bool wasShown = native_->shown;
    setCanvasShown(CANVAS, 1);
    native_->shown = true;
    int width = 0;
    int height = 0;
    emscripten_get_canvas_element_size(CANVAS, &width, &height);
    callProcedure(WM_SIZE, 0, makeSizeParam(width, height));
    return wasShown;
}

void Window::swapBuffers() {
    waitForNextFrame();
}

bool Window::isMinimised() const {
    return !native_->shown || documentHidden() != 0;
}

void Window::waitFrame() {
    waitForNextFrame();
}

uint32_t Window::handle() const {
    return static_cast<uint32_t>(native_->context);
}

// WebGL has neither of the extensions the program looks up entry points for.
void* Window::procAddress(const char*) const {
    return nullptr;
}

void Window::deleteContext() {
    if (native_->context > 0) {
        emscripten_webgl_destroy_context(native_->context);
        native_->context = 0;
    }
}

void Window::destroy() {
    deleteContext();
    if (native_->shown) {
        setCanvasShown(CANVAS, 0);
        native_->shown = false;
    }
    if (WebInput::instance().window() == this) {
        WebInput::instance().detach();
    }
}

int64_t Window::callProcedure(uint32_t message, uint64_t wParam, int64_t lParam) {
    if (procedure_ == nullptr) {
        return 0;
    }
    return procedure_(this, message, wParam, lParam);
}

}  // namespace zelmor::platform
