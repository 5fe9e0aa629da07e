"""Reads single pixels of an X screen quickly through Xlib (about a
millisecond each), and presses keys through XTEST from this process, for
timing what appears on screen without starting a program per key."""
import ctypes
import ctypes.util


class XPixels:
    def __init__(self, display_name, window=None):
        """With a window, screen positions are read through that window,
        for servers that refuse to read the root window."""
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.c_void_p
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XGetPixel.restype = ctypes.c_ulong
        self.x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
        self.x.XDestroyImage = None  # a macro in Xlib; freed through XFree below
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display_name)
        self.root = self.x.XDefaultRootWindow(self.display)
        self.window = int(window, 0) if window else None
        if self.window:
            # A window away (unmapped) cannot be read: Xlib's default handler
            # would end this process, where the read should give None.
            handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
            self.ignore_errors = handler(lambda display, event: 0)
            self.x.XSetErrorHandler.argtypes = [handler]
            self.x.XSetErrorHandler(self.ignore_errors)
        self.x.XTranslateCoordinates.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                                 ctypes.c_int, ctypes.POINTER(ctypes.c_int),
                                                 ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong)]
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.x.XStringToKeysym.restype = ctypes.c_ulong
        self.x.XStringToKeysym.argtypes = [ctypes.c_char_p]
        self.x.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x.XFlush.argtypes = [ctypes.c_void_p]

    def key(self, name):
        """Presses and releases one key (an X keysym name such as "Down")."""
        code = self.x.XKeysymToKeycode(self.display, self.x.XStringToKeysym(name.encode()))
        if not code:
            raise RuntimeError("no key for " + name)
        for down in (1, 0):
            self.xtst.XTestFakeKeyEvent(self.display, code, down, 0)
        self.x.XFlush(self.display)

    def pixel(self, px, py):
        all_planes = 0xFFFFFFFF
        z_pixmap = 2
        source = self.root
        if self.window:
            wx, wy, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
            if not self.x.XTranslateCoordinates(self.display, self.root, self.window, px, py,
                                                ctypes.byref(wx), ctypes.byref(wy), ctypes.byref(child)):
                return None
            source, px, py = self.window, wx.value, wy.value
        image = self.x.XGetImage(self.display, source, px, py, 1, 1, all_planes, z_pixmap)
        if not image:
            return None
        value = self.x.XGetPixel(image, 0, 0)
        # The image's own data and struct; a 1x1 image is a few bytes.
        return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF)
