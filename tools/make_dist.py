#!/usr/bin/env python3
"""Writes the text files that ship in dist/: the factory set.dat (also as
Modual/set.dat), a demo participant list and the empty record files.
All in GBK with CR LF. Run from the project root: python3 tools/make_dist.py"""
import os
import random

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "dist")


def write_lines(path, lines):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "wb") as f:
        for line in lines:
            f.write(line.encode("gbk") + b"\r\n")


def font_keys(name="黑体", size=36, color="clWhite", style="[fsBold]"):
    height = -round(size * 96 / 72)
    return [f"Font.Charset=134", f"Font.Color={color}", f"Font.Height={height}", f"Font.Name={name}",
            "Font.Pitch=fpDefault", f"Font.Size={size}", f"Font.Style={style}"]


def effect_keys(prefix="Effect.FontEffect.", shadow=True, gradient=None):
    g0, g1 = gradient or ("clYellow", "clRed")
    keys = [
        "Alpha=100", "Angle=0", "Blur=0",
        f"Gradual.Enabled={1 if gradient else 0}", f"Gradual.StartColor={g0}", f"Gradual.EndColor={g1}",
        "Gradual.Style=gsTopToBottom", "HorzMirror=0", "VertMirror=0", "Noise=0", "Outline=0",
        f"Shadow.Enabled={1 if shadow else 0}", "Shadow.Alpha=70", "Shadow.Blur=40", "Shadow.Color=clBlack",
        "Shadow.OffsetX=3", "Shadow.OffsetY=3", "Spray=0", "Texture.Enabled=0", "Texture.Mode=tmTiled",
        "Texture.Picture=",
    ]
    return [prefix + k for k in keys]


def label_section(name, caption=None, size=36, color="clWhite", gradient=None, visible=True, face="黑体", height=0,
                  width=0):
    lines = [f"[{name}]"]
    if caption is not None:
        lines.append(f"Caption={caption}")
    lines += ["Left=0", "Top=0", f"Width={width}", f"Height={height}", f"Visible={1 if visible else 0}"]
    lines += font_keys(face, size, color)
    lines += effect_keys(gradient=gradient)
    lines += ["Effect.Transparent=1", "Effect.BackColor=32768", ""]
    return lines


AWARDS = [
    # name, winners, batches, detail, prize, picture
    ("特等奖", 1, 1, "1", "新能源汽车一辆", "Awardimg\\photest.jpg"),
    ("一等奖", 3, 1, "3", "笔记本电脑", "Awardimg\\photest.jpg"),
    ("二等奖", 10, 2, "5+5", "智能手机", "Awardimg\\photest.jpg"),
    ("三等奖", 30, 2, "15+15", "无线耳机", "Awardimg\\photest.jpg"),
    ("幸运奖", 60, 2, "25+35", "精美礼品一份", "Awardimg\\photest.jpg"),
]


def settings():
    opt = [
        "[Option]",
        f"Lucks={len(AWARDS)}", "scrolldown=1", "IntervalTime=40", "canreAward=0", "privacy=0",
        "privacystart=1", "privacyend=1", "canshowtxtpho=1", "startkey=32", "startkeystr=空格键", "canready=1",
        "Statuscenter=1", "Gradecenter=0", "runfrom=0", "oneRzMarqueeStatus=0", "bosscenter=1", "logoImgBG=",
        "canbmusic=1", "cansmusic=1", "canemusic=1", "cansbmusic=1", "bmusic=wav\\bg2.mp3",
        "smusic=wav\\start3.mp3", "emusic=wav\\stop1.wav", "sbmusic=wav\\bg4.mp3", "loopmusic=0", "canfz=0",
        "ntcanrandom=1", "ntfs=0", "sndmm=VGVzc2FseTg=", "sndfo=49237", "sndst=49230", "locksremm=",
        "phowidth=35", "phoheight=53", "ispho=0", "currentLucki=0", "currentSxtimes=1", "currentnowgotodata=0",
        "currentovernum=0", "addgradep=0", "onerun=1", "screenmain=", "screensec=", "Mformleft=0", "Mformtop=0",
        "fromwidth=1024", "fromheight=768", "MainImgBG=img\\1.jpg", "SImgBG=img\\show.jpg", "S2ImgBG=img\\show.jpg",
        "ScrollTextActive=1", "ScrollTextcenter=1", "showSScrollText=2", "SkyScrollTextiv=30", "Floatrownum=3",
        "showhint=0", "",
    ]
    grade = ["[Grade]"] + [f"{i}={'|'.join(str(x) for x in a)}" for i, a in enumerate(AWARDS)] + [""]
    grfz = ["[Grfz]"] + [f"{i}=全体:1-99999" for i in range(len(AWARDS))] + [""]
    status = [
        "[GrStatus]",
        "Caption='<奖项名称> 第<当前奖项轮数>批已抽出 <本轮抽取名额> 名，共 <当前奖项已抽名额>/<当前奖项总名额> 名'",
        "qCaption='正在抽取：<奖项名称> 第<当前奖项轮数>/<当前奖项总轮数>批，本批 <本轮抽取名额> 名'",
        "bCaption='补奖：<奖项名称> 补抽 <本轮抽取名额> 名'",
        "bhCaption='补奖完成：<奖项名称> 补抽 <本轮抽取名额> 名'",
        "",
    ]
    ready = ["[readyLuck]", "Caption='  准备好了吗？  '", "Visible=1", "Left=0", "Top=0", "Width=0", "Height=0"]
    ready += font_keys("黑体", 48, "clYellow") + effect_keys(gradient=("clYellow", "$0000A5FF"))
    ready += ["Effect.Transparent=1", "Effect.BackColor=32768", ""]
    guests = ["[MarqueeStatus]", "1-1=有请董事长为特等奖抽奖", "2-1=有请总经理为一等奖抽奖",
              "3-1=有请副总经理为二等奖抽奖", ""]
    out = opt + grade + grfz + status + ready + guests
    out += label_section("FirstTitle", "2027 年度盛典 幸运大抽奖", 46, "clYellow", gradient=("clYellow", "$0000A5FF"))
    out += label_section("SecondTitle", "感恩有你 · 共创未来", 24, "clWhite")
    out += label_section("Status", None, 26, "clWhite", height=44)
    out += label_section("Award", None, 20, "clYellow", height=36)
    out += label_section("boss", None, 24, "clAqua", height=40)
    for name, caption in (("GoButton", "开始"), ("StopButton", "停止")):
        # A light gold face with dark text stands out on every shipped background.
        out += [f"[{name}]", "Left=0", "Top=0", "Width=130", "Height=48", "Visible=1", "Color=$0000C8FF",
                "HotTrackColor=clWhite"] + font_keys("黑体", 20, "clMaroon") + [""]
    out += ["[RzMarqueeStatus1]", "Left=0", "Top=0", "Width=1024", "Height=44", "Visible=1", "Active=1", "text=",
            "DoubleBuffered=1"] + font_keys("黑体", 22, "clYellow") + ["Transparent=1", "Color=0", "step=2", ""]
    out += ["[Image_Award]", "Visible=1", "Left=0", "Top=0", "Width=240", "Height=180", ""]
    out += ["[Image_logo]", "Left=0", "Top=0", "Width=160", "Height=80", ""]
    out += ["[ControlBar1]", "Left=0", "Top=0", ""]
    # The results window: titles, dated result line, separator, back label and both scrollers.
    out += label_section("SFirstTitle", "2027 年度盛典 幸运大抽奖", 44, "clYellow", gradient=("clYellow", "$0000A5FF"))
    out += label_section("SSecondTitle", "中奖名单", 28, "clWhite")
    out += label_section("SresultText", "<日期> 抽奖结果", 18, "clSilver")
    out += label_section("Sline", "━━━━━━━━━━━━━━━━━━━━━━━━", 14, "$0040C0FF")
    out += label_section("Label_return", "返回", 18, "clWhite", width=60, height=34)
    out += ["[SkyScrollText1]", "Left=0", "Top=0", "Width=900", "Height=600", "Step=1", "Transparent=1"]
    out += font_keys("黑体", 26, "clYellow") + [""]
    out += ["[SScrollText]", "Left=0", "Top=0", "Width=900", "Height=600", "ScrollStep=1", "Text.BackColor=4198400"]
    out += [k.replace("Font.", "Text.Font.", 1) for k in font_keys("黑体", 26, "clYellow")]
    out += effect_keys("Text.FontEffect.", shadow=True) + [""]
    # Font sizes of the text block by entries per line (short and long entries), for a projector.
    sizes = {3: (26, 22), 4: (24, 20), 5: (22, 18), 6: (20, 17), 7: (19, 16), 8: (18, 15), 9: (17, 14), 10: (16, 13)}
    autoset = ["[0autoset]", "latop=120", "space=2", "azgeshu=10", "100size=14", "100ls=10"]
    for k, (a, b) in sizes.items():
        autoset += [f"{k}a={a}", f"{k}b={b}"]
    out += autoset + [""]
    # Slot fonts of the demo batch sizes; positions come from the automatic arrangement.
    for n, size in ((1, 60), (3, 48), (5, 40), (15, 28)):
        out += [f"[{n}all]", "Width=10", "Height=10"] + font_keys("黑体", size, "clYellow") + [
            "Transparent=1", "Color=32768", "screen=", ""]
    # Photo grids of the demo batch sizes (key 100 for every batch above 30), 4:3 slots drawn for
    # 1920x1080; a grid that does not fit a smaller stage is shrunk when it is arranged.
    out += ["[0phoautoset]",
            "1=1|10|200|10|480|360|clWhite|24|黑体|[fsBold]",
            "3=3|40|220|10|440|330|clWhite|20|黑体|[fsBold]",
            "5=5|24|240|10|336|252|clWhite|18|黑体|[fsBold]",
            "10=5|20|200|16|300|225|clWhite|16|黑体|[fsBold]",
            "15=5|20|150|14|270|202|clWhite|14|黑体|[fsBold]",
            "20=5|16|150|12|240|180|clWhite|13|黑体|[fsBold]",
            "25=7|14|150|12|216|162|clWhite|12|黑体|[fsBold]",
            "100=10|8|150|8|136|102|clWhite|11|黑体|[]", ""]
    return out


SURNAMES = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤"
GIVEN = ("伟 芳 娜 敏 静 丽 强 磊 军 洋 勇 艳 杰 娟 涛 明 超 霞 平 刚 华 婷 秀英 秀兰 桂英 建国 志强 红梅 玉兰 "
         "浩然 子轩 梓涵 一诺 宇航 思远 雨萱 晨阳 佳怡 俊杰 嘉欣 文博 雅琪 天佑 若曦 志明 海燕 国华 丽娟 "
         "建华 春梅 晓东 晓燕 立新 永刚 欣怡 雨桐 子豪 博文 诗涵").split()


def participants(count=360, seed=20271):
    rng = random.Random(seed)
    seen = set()
    out = []
    while len(out) < count:
        name = rng.choice(SURNAMES) + rng.choice(GIVEN)
        if name in seen:
            continue
        seen.add(name)
        out.append(f"{name}")
    return out


def main():
    s = settings()
    write_lines("set.dat", s)
    write_lines("Modual/set.dat", s)
    write_lines("data.txt", participants())
    for name in ("ARecord.dat", "tmda.jpg", "colip.jpg", "log.txt"):
        open(os.path.join(ROOT, name), "wb").close()


if __name__ == "__main__":
    main()
