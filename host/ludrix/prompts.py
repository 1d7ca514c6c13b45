"""Prompts and messages that several services of the host share."""

MAIN_PROMPT = "番号またはコマンド(H,Q,J)="
SERVICE_PROMPT = "番号またはコマンド(M,S,F,H,Q,J)="
WRONG_COMMAND = "番号またはコマンドが間違っています。訂正して下さい。"
UNAVAILABLE = "現在このサービスはご利用できません。"
MAINTENANCE = "誠に申し訳ありませんが、システムメンテナンスのため、現在このサービスはご利用できません。"
NO_DATA = "選択されたサービスのデータは、現在登録されていません。"
PRESS_RETURN = "リターンキーを押して下さい="
CONFIRM = "よろしいですか(Y,N)="
CONFIRM_J = "よろしいですか(Y,N,J)="
TITLE_ASK = "文書名を入力して下さい。"
IDLE_BYE = "しばらく入力がありませんので、回線を切断します。"
HELP = ("Ｊ＋サービス名：ジャンプ（JMAIN, JREAD, JSEND, JSMAIL）\r\n"
        "Ｍ：上のメニューへ　Ｆ：メインメニューへ　Ｑ：ログアウト\r\n")


def page_line(page: int, pages: int) -> str:
    """The page counter that ends each page of a list ("  1/  3")."""
    return f"{page:3d}/{pages:3d}"
