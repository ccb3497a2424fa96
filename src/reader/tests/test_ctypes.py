"""The C interface through Python's ctypes, as other languages' FFIs use it:
python3 test_ctypes.py LIBRARY FOLDER (the packs make_packs wrote)."""
import ctypes
import sys
from ctypes import POINTER, c_char_p, c_int, c_int64, c_long, c_size_t, c_uint32, c_uint64, c_void_p

lib = ctypes.CDLL(sys.argv[1])
folder = sys.argv[2]
P = c_void_p
for name, restype, argtypes in [
        ("open_file", c_int, [POINTER(P), c_char_p, c_char_p, c_char_p]), ("errmsg", c_char_p, [P]),
        ("count", c_size_t, [P]), ("name", c_char_p, [P, c_size_t]), ("size", c_uint32, [P, c_size_t]),
        ("find", c_long, [P, c_char_p]), ("read", c_int64, [P, c_size_t, c_uint64, c_void_p, c_size_t]),
        ("close", None, [P]), ("version", c_char_p, [])]:
    function = getattr(lib, "wfpak_" + name)
    function.restype, function.argtypes = restype, argtypes


def content(k, size):
    return bytes((((i * 2654435761) & 0xFFFFFFFF) >> 24) ^ (k * 17 & 0xFF) for i in range(size))


def read_pack(name, key, mask):
    pack = P()
    code = lib.wfpak_open_file(ctypes.byref(pack), f"{folder}/{name}".encode(), key, mask)
    assert code == 0, lib.wfpak_errmsg(pack)
    assert lib.wfpak_count(pack) == 12
    for k in range(12):
        size = 0 if k % 7 == 0 else (k * 7919) % 70000
        stored = f"data\\dir{k % 5}\\{chr(65 + k)}{chr(122 - k)}File{k}.bin"
        assert lib.wfpak_name(pack, k) == stored.encode()
        assert lib.wfpak_find(pack, stored.replace("\\", "/").swapcase().encode()) == k
        assert lib.wfpak_size(pack, k) == size
        buffer = ctypes.create_string_buffer(size + 10)
        assert lib.wfpak_read(pack, k, 0, buffer, size + 10) == size
        assert buffer.raw[:size] == content(k, size), f"{name}: entry {k} differs"
    assert lib.wfpak_read(pack, 99, 0, None, 0) == -1 and lib.wfpak_find(pack, b"missing") == -1
    lib.wfpak_close(pack)


read_pack("plain.pak", None, None)
read_pack("masked.pak", b"$11224488", b"$80000001")
read_pack("game.exe", b"11224488", b"80000001")
bad = P()
assert lib.wfpak_open_file(ctypes.byref(bad), b"/no/such/pack", None, None) == 1 and lib.wfpak_errmsg(bad)
lib.wfpak_close(bad)
print("ctypes:", lib.wfpak_version().decode(), "ok")
