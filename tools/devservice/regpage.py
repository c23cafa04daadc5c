"""The registration page that the client's QR code opens on a phone
(/api/reg_userinfo?imei=...&name=...): it shows what the code carried and
records the user when the person confirms."""

from html import escape

from api import Refused

STYLE = """
body{font-family:"PingFang SC","Microsoft YaHei","WenQuanYi Micro Hei",sans-serif;margin:0;
background:#fff8ec;color:#3b3024}
main{max-width:28rem;margin:0 auto;padding:1.2rem}
h1{font-size:1.4rem;color:#e07a2d;margin:.4rem 0 1rem}
h1 small{display:block;font-size:.9rem;color:#8a7660;font-weight:normal}
table{width:100%;border-collapse:collapse;background:#fff;border-radius:.8rem;overflow:hidden;
box-shadow:0 .1rem .4rem #0002}
th,td{padding:.6rem .8rem;text-align:left;border-bottom:1px solid #f1e6d6;vertical-align:top}
th{width:38%;color:#8a7660;font-weight:normal}
th span{display:block;font-size:.75rem}
.problem{background:#ffe9e4;color:#a33a22;border-radius:.6rem;padding:.8rem;margin:1rem 0}
.ok{background:#e6f6e6;color:#2f6b2f;border-radius:.6rem;padding:.8rem;margin:1rem 0}
button{width:100%;margin-top:1.2rem;padding:.9rem;font-size:1.1rem;border:0;border-radius:2rem;
background:#f0913f;color:#fff}
p.note{font-size:.8rem;color:#8a7660}
"""

ROWS = (
    ("name", "姓名", "Name"),
    ("qq", "QQ", "QQ"),
    ("tel", "手机", "Mobile"),
    ("province", "省份", "Province"),
    ("city", "城市", "City"),
    ("kindergarten", "幼儿园", "Kindergarten"),
    ("imei", "设备号", "Device"),
    ("user_id", "账号", "Account"),
)

# Carried through the confirmation form as they came.
CARRIED = ("imei", "name", "qq", "tel", "province", "city", "kindergarten", "user_id", "other_kindergarten",
           "terminal_type", "account_type")


def page(title_zh, title_en, body):
    return ("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
            "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
            "<title>%s %s</title><style>%s</style></head><body><main>"
            "<h1>%s<small>%s</small></h1>%s</main></body></html>\n"
            % (escape(title_zh), escape(title_en), STYLE, escape(title_zh), escape(title_en), body))


class RegistrationPage:
    def __init__(self, api):
        self.api = api
        self.store = api.store
        self.regions = api.regions

    def shown(self, f, key):
        """What a row shows for a field: names beside numbers where known."""
        value = f.get(key, "")
        if key in ("province", "city") and value.isdigit():
            name = self.regions.name(int(value))
            return "%s (%s)" % (name, value) if name else "%s (未知 unknown)" % value
        if key == "kindergarten":
            if value == "0":
                return "其他 other: %s" % f.get("other_kindergarten", "")
            if value.isdigit():
                school = self.store.school(int(value))
                return "%s (%s)" % (school[1], value) if school else "%s (未知 unknown)" % value
        if key == "user_id" and not value:
            return "新用户 new"
        return value

    def problem(self, f):
        if not f.get("imei"):
            return "缺少设备号 The code carries no device id (imei)."
        try:
            self.api.check_profile(f)
        except Refused as e:
            return "资料不完整或有误 The profile cannot be registered: %s." % e.reason
        return None

    def table(self, f):
        rows = "".join("<tr><th>%s<span>%s</span></th><td>%s</td></tr>"
                       % (escape(zh), escape(en), escape(self.shown(f, key))) for key, zh, en in ROWS)
        return "<table>%s</table>" % rows

    def show(self, f):
        """GET: the fields and, when they make a profile, the confirm button."""
        problem = self.problem(f)
        body = self.table(f)
        if problem:
            body += "<div class=\"problem\">%s</div>" % escape(problem)
            body += "<p class=\"note\">请在电脑客户端中修改后重新扫码。Correct it in the client and scan again.</p>"
            return 400, page("注册信息有误", "Registration details need a look", body)
        hidden = "".join("<input type=\"hidden\" name=\"%s\" value=\"%s\">" % (k, escape(f[k], quote=True))
                         for k in CARRIED if k in f)
        body += ("<form method=\"post\" action=\"/api/reg_userinfo\">%s"
                 "<button type=\"submit\">确认注册 Confirm registration</button></form>"
                 "<p class=\"note\">确认后，客户端下次联网刷新时会显示这些资料。"
                 "The client shows this profile the next time it refreshes online.</p>" % hidden)
        return 200, page("确认注册", "Confirm your registration", body)

    def confirm(self, f):
        """POST: records the user (the given account, else the device's, else a new one)."""
        problem = self.problem(f)
        if problem:
            return 400, page("注册失败", "Registration failed",
                             self.table(f) + "<div class=\"problem\">%s</div>" % escape(problem))
        profile = self.api.check_profile(f)
        user = self.store.user_by_uid(f["user_id"]) if f.get("user_id") else None
        if user is None:
            user, _ = self.store.device_user(f["imei"])
        self.store.update_user(user["id"], **profile)
        self.api.log("registered %s (%s) for device %s: %s" % (user["id"], user["uid"], f["imei"], profile["name"]))
        body = self.table(dict(f, user_id=user["uid"]))
        body += ("<div class=\"ok\">注册成功！用户号 %d。Registration complete: user number %d.</div>"
                 "<p class=\"note\">回到电脑客户端即可看到你的资料。Your profile now shows in the client.</p>"
                 % (user["id"], user["id"]))
        return 200, page("注册成功", "Registered", body)
