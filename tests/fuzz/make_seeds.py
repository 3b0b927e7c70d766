#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into seeds/<target>/.

Each seed is one well-formed (or nearly well-formed) input in the target's
input format, so that the fuzzers start from requests and files the viewer
really meets. Run it again after changing the list; the files are committed.
"""
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))


def utf16(text):
    # Code units as given, lone surrogates included.
    return b"".join(ord(c).to_bytes(2, "little") for c in text)


# Settings files: the bytes of Page_Var.txt.
SETTINGS = {
    "worked_example": b"&title=Sample%26Book&\r\n&fullscreen=false&\r\n&width=1024&\r\n&height=768&\r\n&pages=120&\r\n",
    "first_pair_without_ampersand": b"title=Book&\n&width=800&\n&height=600&\n",
    "shared_ampersand": b"&a=1&b=2&",
    "no_opening_ampersand": b"a=1&b=2&",
    "doubled_ampersands": b"&a=1&&b=2&",
    "duplicate_key": b"&k=1&\r\n&k=2&\r\n",
    "second_equals": b"&k=x=y&",
    "stray_text_with_equals": b"&a=1&\nx=2&\n&height=5&",
    "byte_26": b"&a=1&\n\x1a&b=2&\n",
    "carriage_return_in_value": b"&t=A\r\nB&",
    "zero_byte_in_key": b"&ti\x00tle=A&&w=\x00&",
    "korean_title": b"&title=\xb0\xa1\xb3\xaa&\r\n&width=640&\r\n&height=480&\r\n&fullscreen=true&",
    "utf8_bom": b"\xef\xbb\xbf&title=X&",
    "capital_height": b"&Height=1&\n&width=2&\n&height=3&\n&x=4&",
    "unclosed_pair": b"&title=T&\n&width=800",
    "bad_width": b"&width=80x&\n&height=600&",
}

# Dispatcher: scene byte, command, zero byte, args (UTF-8; UTF-16LE with a
# zero code unit between them when scene bit 0 is set).
CANCEL, NO_DRIVE, WRITES_FAIL, COPIES_FAIL, AT_ROOT = 2, 4, 8, 16, 32
DISPATCHER = {
    "popup": (0, "function", "PopUpForm@@@sub/pop1.swf@@@3"),
    "full": (0, "", "function_full"),
    "close": (0, "x", "function_close"),
    "forward": (0, "", "function_forward"),
    "forward_as_head": (0, "", "function_forward@@@x"),
    "web_address": (0, "", "http://example.com/a/b.html"),
    "imgcopy": (0, "", "function_imgcopy@@@pic/1.jpg"),
    "imgcopy_cancelled": (CANCEL, "", "function_imgcopy@@@pic.bmp"),
    "doccopy": (0, "", "function_doccopy@@@doc/a.hwp"),
    "doccopy_no_filter": (0, "", "function_doccopy@@@a.zip"),
    "copyfile": (0, "", "function_copyfile@@@files@@@a.pdf"),
    "copyfile_fails": (COPIES_FAIL, "", "function_copyfile@@@files@@@a.xlsx"),
    "copyfile_one_field": (0, "", "function_copyfile@@@a.pdf"),
    "save_memo": (0, "", "function_saveTextFile@@@memo text/with slash\n@@@memo1.txt"),
    "save_memo_no_drive": (NO_DRIVE, "", "function_saveTextFile@@@memo@@@m.txt"),
    "save_memo_write_fails": (WRITES_FAIL, "", "function_saveTextFile@@@memo@@@m.txt"),
    "save_memo_one_field": (0, "", "function_saveTextFile@@@memo"),
    "load_memo": (0, "", "function_loadTextFile"),
    "search_list": (0, "", "function_searchList@@@notes"),
    "input_parameter": (0, "12", "function_InputParameter"),
    "list_save": (0, "", "function_TxtListSaveToFile@@@notes@@@_1.txt"),
    "show": (0, "", "function_show@@@bin/app.exe@@@12"),
    "show_at_root": (AT_ROOT, "", "function_show@@@app.exe@@@1@@@2"),
    "show_one_field": (0, "", "function_show@@@app.exe"),
    "utf16_show": (1, "", "function_show@@@\uac00.exe@@@\ud800"),
    "utf16_popup": (1, "function", "PopUpForm@@@\ud31d.swf@@@\udc00\u0000"),
}

# Popup requests: scene byte (bit 0: UTF-16LE, bits 1-2: book), text.
POPUP = {
    "request": (0, "PopUpForm@@@pop1.swf@@@12"),
    "subfolder": (2, "PopUpForm@@@sub\\pop1.swf@@@a\\b"),
    "empty_page": (4, "PopUpForm@@@pop1.swf@@@"),
    "no_second_separator": (6, "PopUpForm@@@pop1.swf"),
    "korean_no_second_separator": (0, "PopUpForm@@@\uac00\ub098\ub2e4"),
    "other_case": (0, "popupform@@@pop1.swf@@@1"),
    "kind_alone": (0, "PopUpForm"),
    "close": (0, "function_close"),
    "lost_character": (1, "PopUpForm@@@\u0e01.swf@@@1"),
    "lone_surrogates": (1, "PopUpForm@@@\ud800@@@\udfff\u0000x"),
    "four_separators": (0, "PopUpForm@@@@@@@@@@@@"),
}

# Command lines: scene byte (bit 0: UTF-16LE), line.
COMMANDLINE = {
    "program_and_two": (0, '"C:\\Books\\Sample.exe" 12 34'),
    "quoted_blank": (0, 'Sample.exe "page 12" x'),
    "empty_quotes_skipped": (0, 'Sample.exe "" "" 7'),
    "quotes_inside": (0, 'Sample.exe a"b c"d'),
    "open_quote": (0, 'Sample.exe "unterminated arg'),
    "lone_quote_at_end": (0, 'Sample.exe a "'),
    "zero_character": (0, "Sample.exe a\x00b c"),
    "control_characters": (0, "\tSample.exe\x01a\x1fb\x7fc"),
    "utf16": (1, 'S.exe "\uac00 \ud800" \u3000x'),
}


def write(target, seeds):
    folder = os.path.join(HERE, "seeds", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def text(scene, s):
    return utf16(s) if scene & 1 else s.encode("utf-8", "surrogatepass")


write("settings", SETTINGS)
write("dispatcher", {
    name: bytes([scene]) + (utf16(cmd) + b"\0\0" + utf16(args) if scene & 1 else
                            cmd.encode() + b"\0" + args.encode())
    for name, (scene, cmd, args) in DISPATCHER.items()
})
write("popup", {name: bytes([scene]) + text(scene, s) for name, (scene, s) in POPUP.items()})
write("commandline", {
    name: bytes([scene]) + (utf16(s) if scene & 1 else s.encode("latin-1"))
    for name, (scene, s) in COMMANDLINE.items()
})
