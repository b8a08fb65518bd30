// The customer's words in every language the check speaks. Each entry holds
// one identifier's text in the order of lang::Language: English, Simplified
// Chinese, Traditional Chinese, Japanese, Korean, German, French, Spanish.
// Arguments are {1}..{9}; a text has the same ones in every language. The
// English texts are what the window said before it spoke other languages.
// Every text is written for the customer: short and plain, in the words a
// Windows user of that language meets in Windows itself ("U 盘", "隨身碟",
// "USB-Stick", "clé USB", "memoria USB").
#include "lang.h"

#include <cstring>

namespace lang {
namespace {

struct Entry {
    const char *id;
    const char *text[kLanguageCount];
};

// A name that every language writes alike.
#define SAME(t) {t, t, t, t, t, t, t, t}
// French puts a no-break space before a colon, a semicolon and inside « ».
#define NBSP "\u00a0"

const Entry kEntries[] = {
    // The window itself.
    {"title", {"Morvalith check", "Morvalith 检查", "Morvalith 檢查", "Morvalith チェック", "Morvalith 검사",
               "Morvalith-Prüfung", "Vérification Morvalith", "Comprobación de Morvalith"}},
    {"checking", {"Checking this PC...", "正在检查这台电脑…", "正在檢查這台電腦…", "この PC を確認しています…",
                  "이 PC를 검사하는 중입니다...", "Dieser PC wird geprüft …", "Vérification de ce PC…",
                  "Comprobando este equipo…"}},
    {"button.save", {"&Save report", "保存报告(&S)", "儲存報告(&S)", "レポートを保存(&S)", "보고서 저장(&S)",
                     "Bericht &speichern", "&Enregistrer le rapport", "&Guardar informe"}},
    {"button.copy", {"&Copy", "复制(&C)", "複製(&C)", "コピー(&C)", "복사(&C)", "&Kopieren", "&Copier", "&Copiar"}},
    {"button.elevate", {"Check again as &administrator", "以管理员身份重新检查(&A)", "以系統管理員身分重新檢查(&A)",
                        "管理者として再チェック(&A)", "관리자 권한으로 다시 검사(&A)", "Als &Administrator erneut prüfen",
                        "Vérifier à nouveau en tant qu’&administrateur", "Comprobar de nuevo como &administrador"}},
    {"button.close", {"Close", "关闭", "關閉", "閉じる", "닫기", "Schließen", "Fermer", "Cerrar"}},

    // The verdict, and the labels of the lines below it.
    {"verdict.loads", {"Morvalith.dll loads on this PC.", "Morvalith.dll 可以在这台电脑上加载。",
                       "Morvalith.dll 可以在這台電腦上載入。", "この PC では Morvalith.dll を読み込めます。",
                       "이 PC에서 Morvalith.dll을 불러올 수 있습니다.", "Morvalith.dll lässt sich auf diesem PC laden.",
                       "Morvalith.dll se charge sur ce PC.", "Morvalith.dll se carga en este equipo."}},
    {"verdict.refuses", {"Morvalith.dll refuses to load on this PC.", "Morvalith.dll 无法在这台电脑上加载。",
                         "Morvalith.dll 無法在這台電腦上載入。", "この PC では Morvalith.dll を読み込めません。",
                         "이 PC에서 Morvalith.dll을 불러올 수 없습니다.",
                         "Morvalith.dll lässt sich auf diesem PC nicht laden.", "Morvalith.dll ne se charge pas sur ce PC.",
                         "Morvalith.dll no se carga en este equipo."}},
    {"verdict.untested", {"The check could not test Morvalith.dll on this PC.",
                          "检查程序无法在这台电脑上测试 Morvalith.dll。", "檢查程式無法在這台電腦上測試 Morvalith.dll。",
                          "この PC では Morvalith.dll をテストできませんでした。",
                          "이 PC에서 Morvalith.dll을 검사하지 못했습니다.",
                          "Die Prüfung konnte Morvalith.dll auf diesem PC nicht testen.",
                          "La vérification n’a pas pu tester Morvalith.dll sur ce PC.",
                          "La comprobación no pudo probar Morvalith.dll en este equipo."}},
    {"label.cause", {"Cause: {1}", "原因：{1}", "原因：{1}", "原因：{1}", "원인: {1}", "Ursache: {1}",
                     "Cause" NBSP ": {1}", "Causa: {1}"}},
    {"label.remedy", {"What to do: {1}", "解决方法：{1}", "解決方法：{1}", "対処方法：{1}", "해결 방법: {1}",
                      "Abhilfe: {1}", "Que faire" NBSP ": {1}", "Solución: {1}"}},
    // Two sentences in a row: CJK text runs on without a space.
    {"join.sentences", {"{1} {2}", "{1}{2}", "{1}{2}", "{1}{2}", "{1} {2}", "{1} {2}", "{1} {2}", "{1} {2}"}},
    {"cause.unknown", {"see the detail below", "请查看下方的详细信息。", "請查看下方的詳細資訊。",
                       "下の詳細を参照してください。", "아래 세부 정보를 참조하십시오.", "Siehe die Einzelheiten unten.",
                       "Voir le détail ci-dessous.", "Consulte el detalle más abajo."}},
    {"remedy.unknown", {"save a report and send it to support", "请保存报告并发送给技术支持。",
                        "請儲存報告並傳送給技術支援。", "レポートを保存してサポートに送ってください。",
                        "보고서를 저장하여 지원팀에 보내십시오.",
                        "Speichern Sie einen Bericht und senden Sie ihn an den Support.",
                        "Enregistrez un rapport et envoyez-le au support.",
                        "Guarde un informe y envíelo al soporte técnico."}},
    {"remedy.elevate-note",
     {"A program that uses Morvalith.dll must run as administrator on this PC: use \"Check again as administrator\" "
      "to see the result it would get.",
      "在这台电脑上，使用 Morvalith.dll 的程序必须以管理员身份运行：点击“以管理员身份重新检查”可查看它会得到的结果。",
      "在這台電腦上，使用 Morvalith.dll 的程式必須以系統管理員身分執行：按一下「以系統管理員身分重新檢查」即可查看它會得到的結果。",
      "この PC では、Morvalith.dll を使うプログラムは管理者として実行する必要があります。「管理者として再チェック」で、"
      "その場合の結果を確認できます。",
      "이 PC에서는 Morvalith.dll을 사용하는 프로그램을 관리자 권한으로 실행해야 합니다. [관리자 권한으로 다시 검사]를 "
      "눌러 그 결과를 확인하십시오.",
      "Auf diesem PC muss ein Programm, das Morvalith.dll verwendet, als Administrator laufen: Mit „Als Administrator "
      "erneut prüfen“ sehen Sie das Ergebnis, das es dann erhält.",
      "Sur ce PC, un programme qui utilise Morvalith.dll doit s’exécuter en tant qu’administrateur" NBSP ": cliquez sur "
      "«" NBSP "Vérifier à nouveau en tant qu’administrateur" NBSP "» pour voir le résultat qu’il obtiendrait.",
      "En este equipo, un programa que use Morvalith.dll debe ejecutarse como administrador: use «Comprobar de nuevo "
      "como administrador» para ver el resultado que obtendría."}},
    {"library.32", {"Morvalith.dll (32-bit): {1}", "Morvalith.dll（32 位）：{1}", "Morvalith.dll（32 位元）：{1}",
                    "Morvalith.dll（32 ビット）：{1}", "Morvalith.dll(32비트): {1}", "Morvalith.dll (32 Bit): {1}",
                    "Morvalith.dll (32 bits)" NBSP ": {1}", "Morvalith.dll (32 bits): {1}"}},
    {"library.64", {"Morvalith.dll (64-bit): {1}", "Morvalith.dll（64 位）：{1}", "Morvalith.dll（64 位元）：{1}",
                    "Morvalith.dll（64 ビット）：{1}", "Morvalith.dll(64비트): {1}", "Morvalith.dll (64 Bit): {1}",
                    "Morvalith.dll (64 bits)" NBSP ": {1}", "Morvalith.dll (64 bits): {1}"}},
    {"library.missing", {"missing", "不存在", "不存在", "ありません", "없음", "fehlt", "manquante", "no está"}},
    {"label.windows", {"Windows: {1}", "Windows：{1}", "Windows：{1}", "Windows：{1}", "Windows: {1}", "Windows: {1}",
                       "Windows" NBSP ": {1}", "Windows: {1}"}},
    {"windows.version", {"{1} (version {2}.{3} build {4})", "{1}（版本 {2}.{3}，内部版本 {4}）",
                         "{1}（版本 {2}.{3}，組建 {4}）", "{1}（バージョン {2}.{3}、ビルド {4}）",
                         "{1}(버전 {2}.{3}, 빌드 {4})", "{1} (Version {2}.{3}, Build {4})",
                         "{1} (version {2}.{3}, build {4})", "{1} (versión {2}.{3}, compilación {4})"}},
    {"windows.version-extra", {"{1} (version {2}.{3} build {4}, {5})", "{1}（版本 {2}.{3}，内部版本 {4}，{5}）",
                               "{1}（版本 {2}.{3}，組建 {4}，{5}）", "{1}（バージョン {2}.{3}、ビルド {4}、{5}）",
                               "{1}(버전 {2}.{3}, 빌드 {4}, {5})", "{1} (Version {2}.{3}, Build {4}, {5})",
                               "{1} (version {2}.{3}, build {4}, {5})",
                               "{1} (versión {2}.{3}, compilación {4}, {5})"}},
    // The Windows releases, as each language's Windows calls itself.
    {"windows.other", SAME("Windows")},
    {"windows.95", SAME("Windows 95")},
    {"windows.98", SAME("Windows 98")},
    {"windows.98se", SAME("Windows 98 SE")},
    {"windows.me", SAME("Windows Me")},
    {"windows.2000", SAME("Windows 2000")},
    {"windows.xp", SAME("Windows XP")},
    {"windows.2003", SAME("Windows Server 2003")},
    {"windows.vista", SAME("Windows Vista")},
    {"windows.7", SAME("Windows 7")},
    {"windows.8", SAME("Windows 8")},
    {"windows.8.1", SAME("Windows 8.1")},
    {"windows.10", {"Windows 10 or later", "Windows 10 或更高版本", "Windows 10 或更新版本", "Windows 10 以降",
                    "Windows 10 이상", "Windows 10 oder neuer", "Windows 10 ou ultérieur", "Windows 10 o posterior"}},
    {"report.none", {"Report: not saved yet.", "报告：尚未保存。", "報告：尚未儲存。", "レポート：まだ保存していません。",
                     "보고서: 아직 저장하지 않았습니다.", "Bericht: noch nicht gespeichert.",
                     "Rapport" NBSP ": pas encore enregistré.", "Informe: todavía no se ha guardado."}},
    {"report.saved", {"Report saved: {1} (send this file to support; it holds no key)",
                      "报告已保存：{1}（请将此文件发送给技术支持；其中不含密钥）",
                      "報告已儲存：{1}（請將此檔案傳送給技術支援；其中不含金鑰）",
                      "レポートを保存しました：{1}（このファイルをサポートに送ってください。キーは含まれていません）",
                      "보고서를 저장했습니다: {1}(이 파일을 지원팀에 보내십시오. 키는 들어 있지 않습니다)",
                      "Bericht gespeichert: {1} (senden Sie diese Datei an den Support; sie enthält keinen Schlüssel)",
                      "Rapport enregistré" NBSP ": {1} (envoyez ce fichier au support" NBSP "; il ne contient aucune clé)",
                      "Informe guardado: {1} (envíe este archivo al soporte técnico; no contiene ninguna clave)"}},
    {"report.failed", {"Report: could not be written, neither here nor in the documents folder.",
                       "报告：无法保存，此处和“文档”文件夹都无法写入。", "報告：無法儲存，此處和「文件」資料夾都無法寫入。",
                       "レポート：ここにもドキュメント フォルダーにも書き込めませんでした。",
                       "보고서: 이 폴더와 문서 폴더 모두에 쓸 수 없었습니다.",
                       "Bericht: konnte weder hier noch im Ordner „Dokumente“ gespeichert werden.",
                       "Rapport" NBSP ": impossible de l’écrire, ni ici ni dans le dossier Documents.",
                       "Informe: no se pudo escribir ni aquí ni en la carpeta Documentos."}},

    // The check's own failures: a file it runs is not beside it.
    {"verdict.missing-one", {"The check cannot run: {1} is missing.", "无法进行检查：缺少 {1}。", "無法進行檢查：缺少 {1}。",
                             "チェックを実行できません：{1} がありません。", "검사를 실행할 수 없습니다. {1} 파일이 없습니다.",
                             "Die Prüfung kann nicht starten: {1} fehlt.",
                             "La vérification ne peut pas démarrer" NBSP ": il manque {1}.",
                             "La comprobación no puede ejecutarse: falta {1}."}},
    {"verdict.missing-two", {"The check cannot run: {1} and {2} are missing.", "无法进行检查：缺少 {1} 和 {2}。",
                             "無法進行檢查：缺少 {1} 和 {2}。", "チェックを実行できません：{1} と {2} がありません。",
                             "검사를 실행할 수 없습니다. {1} 및 {2} 파일이 없습니다.",
                             "Die Prüfung kann nicht starten: {1} und {2} fehlen.",
                             "La vérification ne peut pas démarrer" NBSP ": il manque {1} et {2}.",
                             "La comprobación no puede ejecutarse: faltan {1} y {2}."}},
    {"cause.missing-one", {"{1} is not in the folder of morvalith-check.exe.", "{1} 不在 morvalith-check.exe 所在的文件夹中。",
                           "{1} 不在 morvalith-check.exe 所在的資料夾中。",
                           "{1} が morvalith-check.exe と同じフォルダーにありません。",
                           "{1} 파일이 morvalith-check.exe와 같은 폴더에 없습니다.",
                           "{1} liegt nicht im Ordner von morvalith-check.exe.",
                           "{1} n’est pas dans le dossier de morvalith-check.exe.",
                           "{1} no está en la carpeta de morvalith-check.exe."}},
    {"cause.missing-two", {"{1} and {2} are not in the folder of morvalith-check.exe.",
                           "{1} 和 {2} 不在 morvalith-check.exe 所在的文件夹中。",
                           "{1} 和 {2} 不在 morvalith-check.exe 所在的資料夾中。",
                           "{1} と {2} が morvalith-check.exe と同じフォルダーにありません。",
                           "{1} 및 {2} 파일이 morvalith-check.exe와 같은 폴더에 없습니다.",
                           "{1} und {2} liegen nicht im Ordner von morvalith-check.exe.",
                           "{1} et {2} ne sont pas dans le dossier de morvalith-check.exe.",
                           "{1} y {2} no están en la carpeta de morvalith-check.exe."}},
    {"remedy.missing-one",
     {"put {1} in {2}, beside morvalith-check.exe (it comes with it from support or in the release archive), then "
      "start the check again.",
      "请将 {1} 放到 {2} 中，与 morvalith-check.exe 放在一起（可向技术支持索取，发布包中也有），然后重新运行检查。",
      "請將 {1} 放到 {2} 中，與 morvalith-check.exe 放在一起（可向技術支援索取，發行套件中也有），然後重新執行檢查。",
      "{1} を {2} の morvalith-check.exe と同じ場所に置き、もう一度チェックを実行してください（ファイルはサポートから"
      "入手できるほか、リリース アーカイブにも入っています）。",
      "{1} 파일을 {2} 폴더의 morvalith-check.exe 옆에 넣은 후 검사를 다시 실행하십시오(이 파일은 지원팀에서 받거나 "
      "릴리스 압축 파일에서 찾을 수 있습니다).",
      "Legen Sie {1} in {2} neben morvalith-check.exe (Sie erhalten die Datei vom Support oder im Release-Archiv) und "
      "starten Sie die Prüfung erneut.",
      "Placez {1} dans {2}, à côté de morvalith-check.exe (le support vous le fournit, et il est aussi dans l’archive "
      "de la version), puis relancez la vérification.",
      "Coloque {1} en {2}, junto a morvalith-check.exe (lo recibe del soporte técnico o en el archivo de la versión), y "
      "vuelva a ejecutar la comprobación."}},
    {"remedy.missing-two",
     {"put {1} and {2} in {3}, beside morvalith-check.exe (they come with it from support or in the release archive), "
      "then start the check again.",
      "请将 {1} 和 {2} 放到 {3} 中，与 morvalith-check.exe 放在一起（可向技术支持索取，发布包中也有），然后重新运行检查。",
      "請將 {1} 和 {2} 放到 {3} 中，與 morvalith-check.exe 放在一起（可向技術支援索取，發行套件中也有），然後重新執行檢查。",
      "{1} と {2} を {3} の morvalith-check.exe と同じ場所に置き、もう一度チェックを実行してください（ファイルはサポート"
      "から入手できるほか、リリース アーカイブにも入っています）。",
      "{1} 및 {2} 파일을 {3} 폴더의 morvalith-check.exe 옆에 넣은 후 검사를 다시 실행하십시오(이 파일들은 지원팀에서 "
      "받거나 릴리스 압축 파일에서 찾을 수 있습니다).",
      "Legen Sie {1} und {2} in {3} neben morvalith-check.exe (Sie erhalten die Dateien vom Support oder im "
      "Release-Archiv) und starten Sie die Prüfung erneut.",
      "Placez {1} et {2} dans {3}, à côté de morvalith-check.exe (le support vous les fournit, et ils sont aussi dans "
      "l’archive de la version), puis relancez la vérification.",
      "Coloque {1} y {2} en {3}, junto a morvalith-check.exe (los recibe del soporte técnico o en el archivo de la "
      "versión), y vuelva a ejecutar la comprobación."}},

    // Causes and remedies, by the identifiers of the explanation's cause-id:
    // and remedy-id: lines, with the same arguments.
    {"cause.version-unreadable",
     {"The Windows version could not be read (GetVersionExA failed), so the library cannot choose its road.",
      "无法读取 Windows 版本，因此该库无法确定运行方式。", "無法讀取 Windows 版本，因此程式庫無法決定執行方式。",
      "Windows のバージョンを読み取れないため、ライブラリが動作方法を選べません。",
      "Windows 버전을 읽을 수 없어 라이브러리가 동작 방식을 정할 수 없습니다.",
      "Die Windows-Version ließ sich nicht lesen, daher kann die Bibliothek nicht arbeiten.",
      "Impossible de lire la version de Windows" NBSP ": la bibliothèque ne peut pas choisir son mode de fonctionnement.",
      "No se pudo leer la versión de Windows, por lo que la biblioteca no puede elegir cómo funcionar."}},
    {"remedy.version-damaged",
     {"Run the program again; if it persists, the system's version information is damaged.",
      "请重新运行程序。如果问题仍然存在，说明系统的版本信息已损坏。", "請重新執行程式。如果問題仍然存在，表示系統的版本資訊已損毀。",
      "プログラムをもう一度実行してください。それでも直らない場合は、システムのバージョン情報が壊れています。",
      "프로그램을 다시 실행하십시오. 그래도 계속되면 시스템의 버전 정보가 손상된 것입니다.",
      "Starten Sie das Programm erneut. Tritt der Fehler wieder auf, sind die Versionsdaten des Systems beschädigt.",
      "Relancez le programme. Si le problème persiste, les informations de version du système sont endommagées.",
      "Vuelva a ejecutar el programa. Si el problema continúa, la información de versión del sistema está dañada."}},
    {"cause.windows-not-served",
     {"Windows {1} (platform {2}) is not served: the library runs on Windows 98 and on Windows 2000 and later.",
      "不支持 Windows {1}（平台 {2}）：该库只能在 Windows 98 和 Windows 2000 及更高版本上运行。",
      "不支援 Windows {1}（平台 {2}）：此程式庫只能在 Windows 98 及 Windows 2000 以後的版本上執行。",
      "Windows {1}（プラットフォーム {2}）には対応していません。このライブラリは Windows 98 と Windows 2000 以降で動作します。",
      "Windows {1}(플랫폼 {2})은(는) 지원되지 않습니다. 이 라이브러리는 Windows 98 및 Windows 2000 이상에서 실행됩니다.",
      "Windows {1} (Plattform {2}) wird nicht unterstützt: Die Bibliothek läuft unter Windows 98 und ab Windows 2000.",
      "Windows {1} (plateforme {2}) n’est pas pris en charge" NBSP ": la bibliothèque fonctionne sous Windows 98 et à "
      "partir de Windows 2000.",
      "Windows {1} (plataforma {2}) no es compatible: la biblioteca funciona en Windows 98 y en Windows 2000 o posterior."}},
    {"cause.windows-not-served-x64",
     {"Windows {1} (platform {2}) is not served: the 64-bit library runs on 64-bit Windows XP and Server 2003 and later.",
      "不支持 Windows {1}（平台 {2}）：64 位库只能在 64 位 Windows XP、Server 2003 及更高版本上运行。",
      "不支援 Windows {1}（平台 {2}）：64 位元程式庫只能在 64 位元 Windows XP、Server 2003 及更新版本上執行。",
      "Windows {1}（プラットフォーム {2}）には対応していません。64 ビット版のライブラリは 64 ビット版 Windows XP、"
      "Server 2003 以降で動作します。",
      "Windows {1}(플랫폼 {2})은(는) 지원되지 않습니다. 64비트 라이브러리는 64비트 Windows XP, Server 2003 이상에서 "
      "실행됩니다.",
      "Windows {1} (Plattform {2}) wird nicht unterstützt: Die 64-Bit-Bibliothek läuft ab 64-Bit-Windows XP und "
      "Server 2003.",
      "Windows {1} (plateforme {2}) n’est pas pris en charge" NBSP ": la bibliothèque 64 bits fonctionne à partir de "
      "Windows XP et Server 2003 64 bits.",
      "Windows {1} (plataforma {2}) no es compatible: la biblioteca de 64 bits funciona en Windows XP y Server 2003 de "
      "64 bits o posterior."}},
    {"remedy.windows-served",
     {"Run the program on Windows 98, or on Windows 2000 or later.", "请在 Windows 98 或 Windows 2000 及更高版本上运行该程序。",
      "請在 Windows 98 或 Windows 2000 以後的版本上執行此程式。", "Windows 98、または Windows 2000 以降でプログラムを実行してください。",
      "Windows 98 또는 Windows 2000 이상에서 프로그램을 실행하십시오.",
      "Verwenden Sie das Programm unter Windows 98 oder ab Windows 2000.",
      "Exécutez le programme sous Windows 98, ou sous Windows 2000 ou plus récent.",
      "Ejecute el programa en Windows 98, o en Windows 2000 o posterior."}},
    {"remedy.windows-served-x64",
     {"Run the program on 64-bit Windows XP or later, or run a 32-bit program with the 32-bit Morvalith.dll.",
      "请在 64 位 Windows XP 或更高版本上运行该程序，或改用 32 位程序和 32 位 Morvalith.dll。",
      "請在 64 位元 Windows XP 或更新版本上執行此程式，或改用 32 位元程式及 32 位元 Morvalith.dll。",
      "64 ビット版 Windows XP 以降でプログラムを実行するか、32 ビットのプログラムと 32 ビット版 Morvalith.dll を使ってください。",
      "64비트 Windows XP 이상에서 프로그램을 실행하거나, 32비트 프로그램과 32비트 Morvalith.dll을 사용하십시오.",
      "Verwenden Sie das Programm ab 64-Bit-Windows XP, oder nutzen Sie ein 32-Bit-Programm mit der 32-Bit-Morvalith.dll.",
      "Exécutez le programme sous Windows XP 64 bits ou plus récent, ou utilisez un programme 32 bits avec la "
      "Morvalith.dll 32 bits.",
      "Ejecute el programa en Windows XP de 64 bits o posterior, o use un programa de 32 bits con la Morvalith.dll de "
      "32 bits."}},
    {"cause.no-flash-disk",
     {"No flash disk of the served family is attached: no disk interface passes the device-path patterns.",
      "未连接受支持的 U 盘。", "未連接受支援的隨身碟。", "対応する USB フラッシュ ドライブが接続されていません。",
      "지원되는 USB 플래시 드라이브가 연결되어 있지 않습니다.", "Es ist kein unterstützter USB-Stick angeschlossen.",
      "Aucune clé USB prise en charge n’est branchée.", "No hay conectada ninguna memoria USB compatible."}},
    {"cause.no-flash-disk-upper-case",
     {"No flash disk of the served family is attached: no disk interface passes the device-path patterns; nearest: {1} "
      "would pass in lower case, but Windows reported it in upper case.",
      "未找到受支持的 U 盘：最接近的设备 {1} 的路径被 Windows 报告为大写，因此不符合。",
      "找不到受支援的隨身碟：最接近的裝置 {1}，其路徑被 Windows 回報為大寫，因此不相符。",
      "対応する USB フラッシュ ドライブが見つかりません。最も近いデバイス {1} は、Windows がパスを大文字で報告したため"
      "一致しませんでした。",
      "지원되는 USB 플래시 드라이브를 찾지 못했습니다. 가장 가까운 장치 {1}은(는) Windows가 경로를 대문자로 보고하여 "
      "일치하지 않았습니다.",
      "Kein unterstützter USB-Stick gefunden: Das nächstliegende Gerät {1} meldet Windows in Großbuchstaben, daher passt "
      "es nicht.",
      "Aucune clé USB prise en charge n’a été trouvée" NBSP ": Windows signale le chemin du périphérique le plus proche, "
      "{1}, en majuscules, et il ne correspond donc pas.",
      "No se encontró ninguna memoria USB compatible: Windows indica en mayúsculas la ruta del dispositivo más parecido, "
      "{1}, y por eso no coincide."}},
    {"cause.no-flash-disk-other-disk",
     {"No flash disk of the served family is attached: no disk interface passes the device-path patterns; nearest: the "
      "USB disk {1} is another vendor's or another revision.",
      "未连接受支持的 U 盘：已连接的 USB 磁盘 {1} 属于其他厂商或其他版本。",
      "未連接受支援的隨身碟：已連接的 USB 磁碟 {1} 屬於其他廠商或其他版本。",
      "対応する USB フラッシュ ドライブが接続されていません。接続されている USB ディスク {1} は、別のメーカーまたは別の"
      "リビジョンの製品です。",
      "지원되는 USB 플래시 드라이브가 연결되어 있지 않습니다. 연결된 USB 디스크 {1}은(는) 다른 제조사 또는 다른 리비전의 "
      "제품입니다.",
      "Es ist kein unterstützter USB-Stick angeschlossen: Der USB-Datenträger {1} stammt von einem anderen Hersteller "
      "oder ist eine andere Revision.",
      "Aucune clé USB prise en charge n’est branchée" NBSP ": le disque USB {1} est d’un autre fabricant ou d’une autre "
      "révision.",
      "No hay conectada ninguna memoria USB compatible: el disco USB {1} es de otro fabricante o de otra revisión."}},
    {"remedy.attach-served-disk",
     {"Attach one of the supported USB flash disks and run the check again; another make or model of disk is not served.",
      "请插入一个受支持的 U 盘，然后重新运行检查。其他品牌或型号的 U 盘不受支持。",
      "請插入一個受支援的隨身碟，然後重新執行檢查。其他品牌或型號的隨身碟不受支援。",
      "対応する USB フラッシュ ドライブを接続して、もう一度チェックを実行してください。ほかのメーカーや型番のドライブには"
      "対応していません。",
      "지원되는 USB 플래시 드라이브를 연결한 후 검사를 다시 실행하십시오. 다른 제조사나 모델의 드라이브는 지원되지 않습니다.",
      "Schließen Sie einen der unterstützten USB-Sticks an und starten Sie die Prüfung erneut. Andere Marken oder "
      "Modelle werden nicht unterstützt.",
      "Branchez une des clés USB prises en charge et relancez la vérification. Les autres marques ou modèles ne sont pas "
      "pris en charge.",
      "Conecte una de las memorias USB compatibles y vuelva a ejecutar la comprobación. Otras marcas o modelos no son "
      "compatibles."}},
    {"cause.disk-search-failed",
     {"The search for the flash disk broke down: {1} failed (its call {2}, a fault the machine describes).",
      "查找 U 盘时出错：{1} 失败（第 {2} 次调用）。", "搜尋隨身碟時發生錯誤：{1} 失敗（第 {2} 次呼叫）。",
      "USB フラッシュ ドライブの検索中にエラーが発生しました：{1} が失敗しました（{2} 回目の呼び出し）。",
      "USB 플래시 드라이브를 찾는 중 오류가 발생했습니다. {1} 호출이 실패했습니다({2}번째 호출).",
      "Die Suche nach dem USB-Stick ist fehlgeschlagen: {1} schlug fehl (Aufruf {2}).",
      "La recherche de la clé USB a échoué" NBSP ": {1} a échoué (appel {2}).",
      "La búsqueda de la memoria USB falló: {1} falló (llamada {2})."}},
    {"remedy.device-list-damaged",
     {"Run the program again; if it persists, the system's device list is damaged (reinsert the disk, or restart "
      "Windows).",
      "请重新运行程序。如果问题仍然存在，说明系统的设备列表已损坏：请重新插入 U 盘，或重新启动 Windows。",
      "請重新執行程式。如果問題仍然存在，表示系統的裝置清單已損毀：請重新插入隨身碟，或重新啟動 Windows。",
      "プログラムをもう一度実行してください。それでも直らない場合はシステムのデバイス一覧が壊れています。ドライブを"
      "差し直すか、Windows を再起動してください。",
      "프로그램을 다시 실행하십시오. 그래도 계속되면 시스템의 장치 목록이 손상된 것입니다. 드라이브를 다시 꽂거나 "
      "Windows를 다시 시작하십시오.",
      "Starten Sie das Programm erneut. Tritt der Fehler wieder auf, ist die Geräteliste des Systems beschädigt: Stecken "
      "Sie den USB-Stick neu ein oder starten Sie Windows neu.",
      "Relancez le programme. Si le problème persiste, la liste des périphériques du système est endommagée" NBSP
      ": rebranchez la clé ou redémarrez Windows.",
      "Vuelva a ejecutar el programa. Si el problema continúa, la lista de dispositivos del sistema está dañada: vuelva "
      "a conectar la memoria o reinicie Windows."}},
    {"cause.no-cdrom-drive",
     {"The flash disk is attached, but Windows shows no CD-ROM drive: the disk's autorun partition is not mounted.",
      "U 盘已连接，但 Windows 中没有 CD-ROM 驱动器：U 盘的自动运行分区未装载。",
      "隨身碟已連接，但 Windows 中沒有 CD-ROM 光碟機：隨身碟的自動執行磁碟分割未掛接。",
      "USB フラッシュ ドライブは接続されていますが、Windows に CD-ROM ドライブが表示されていません。ドライブの自動実行"
      "パーティションがマウントされていません。",
      "USB 플래시 드라이브는 연결되어 있지만 Windows에 CD-ROM 드라이브가 없습니다. 드라이브의 자동 실행 파티션이 "
      "마운트되지 않았습니다.",
      "Der USB-Stick ist angeschlossen, aber Windows zeigt kein CD-ROM-Laufwerk: Die Autorun-Partition des Sticks ist "
      "nicht eingebunden.",
      "La clé USB est branchée, mais Windows n’affiche aucun lecteur de CD-ROM" NBSP ": la partition d’exécution "
      "automatique de la clé n’est pas montée.",
      "La memoria USB está conectada, pero Windows no muestra ninguna unidad de CD-ROM: la partición de ejecución "
      "automática de la memoria no está montada."}},
    {"cause.no-autorun-volume",
     {"The flash disk is attached, but no CD-ROM drive's MountedDevices value names an autorun disk.",
      "U 盘已连接，但没有哪个 CD-ROM 驱动器属于 U 盘的自动运行分区。",
      "隨身碟已連接，但沒有任何 CD-ROM 光碟機屬於隨身碟的自動執行磁碟分割。",
      "USB フラッシュ ドライブは接続されていますが、そのドライブの自動実行パーティションにあたる CD-ROM ドライブがありません。",
      "USB 플래시 드라이브는 연결되어 있지만, 드라이브의 자동 실행 파티션에 해당하는 CD-ROM 드라이브가 없습니다.",
      "Der USB-Stick ist angeschlossen, aber keines der CD-ROM-Laufwerke ist seine Autorun-Partition.",
      "La clé USB est branchée, mais aucun lecteur de CD-ROM ne correspond à sa partition d’exécution automatique.",
      "La memoria USB está conectada, pero ninguna unidad de CD-ROM corresponde a su partición de ejecución automática."}},
    {"remedy.autorun-letter",
     {"Reinsert the flash disk and check in Disk Management that its CD-ROM (autorun) partition has a drive letter.",
      "请重新插入 U 盘，并在“磁盘管理”中确认它的 CD-ROM（自动运行）分区有驱动器号。",
      "請重新插入隨身碟，並在「磁碟管理」中確認它的 CD-ROM（自動執行）磁碟分割有磁碟機代號。",
      "USB フラッシュ ドライブを差し直し、[ディスクの管理] で CD-ROM（自動実行）パーティションにドライブ文字があることを"
      "確認してください。",
      "USB 플래시 드라이브를 다시 꽂고, [디스크 관리]에서 CD-ROM(자동 실행) 파티션에 드라이브 문자가 있는지 확인하십시오.",
      "Stecken Sie den USB-Stick neu ein und prüfen Sie in der Datenträgerverwaltung, ob seine CD-ROM-Partition "
      "(Autorun) einen Laufwerkbuchstaben hat.",
      "Rebranchez la clé USB et vérifiez dans la Gestion des disques que sa partition CD-ROM (exécution automatique) a "
      "une lettre de lecteur.",
      "Vuelva a conectar la memoria USB y compruebe en Administración de discos que su partición de CD-ROM (ejecución "
      "automática) tiene letra de unidad."}},
    {"remedy.autorun-letter-other-cdrom",
     {"Reinsert the flash disk and check in Disk Management that its CD-ROM (autorun) partition has a drive letter; "
      "another CD-ROM drive does not serve.",
      "请重新插入 U 盘，并在“磁盘管理”中确认它的 CD-ROM（自动运行）分区有驱动器号。其他 CD-ROM 驱动器不能代替它。",
      "請重新插入隨身碟，並在「磁碟管理」中確認它的 CD-ROM（自動執行）磁碟分割有磁碟機代號。其他 CD-ROM 光碟機無法取代它。",
      "USB フラッシュ ドライブを差し直し、[ディスクの管理] で CD-ROM（自動実行）パーティションにドライブ文字があることを"
      "確認してください。ほかの CD-ROM ドライブでは代わりになりません。",
      "USB 플래시 드라이브를 다시 꽂고, [디스크 관리]에서 CD-ROM(자동 실행) 파티션에 드라이브 문자가 있는지 확인하십시오. "
      "다른 CD-ROM 드라이브로는 대신할 수 없습니다.",
      "Stecken Sie den USB-Stick neu ein und prüfen Sie in der Datenträgerverwaltung, ob seine CD-ROM-Partition "
      "(Autorun) einen Laufwerkbuchstaben hat. Ein anderes CD-ROM-Laufwerk genügt nicht.",
      "Rebranchez la clé USB et vérifiez dans la Gestion des disques que sa partition CD-ROM (exécution automatique) a "
      "une lettre de lecteur. Un autre lecteur de CD-ROM ne convient pas.",
      "Vuelva a conectar la memoria USB y compruebe en Administración de discos que su partición de CD-ROM (ejecución "
      "automática) tiene letra de unidad. Otra unidad de CD-ROM no sirve."}},
    {"cause.open-denied",
     {"The flash disk was found but could not be opened: access denied (error {1}).",
      "找到了 U 盘，但无法打开：拒绝访问（错误 {1}）。", "找到了隨身碟，但無法開啟：存取被拒（錯誤 {1}）。",
      "USB フラッシュ ドライブは見つかりましたが、開けませんでした：アクセスが拒否されました（エラー {1}）。",
      "USB 플래시 드라이브를 찾았지만 열 수 없습니다. 액세스가 거부되었습니다(오류 {1}).",
      "Der USB-Stick wurde gefunden, ließ sich aber nicht öffnen: Zugriff verweigert (Fehler {1}).",
      "La clé USB a été trouvée mais n’a pas pu être ouverte" NBSP ": accès refusé (erreur {1}).",
      "Se encontró la memoria USB, pero no se pudo abrir: acceso denegado (error {1})."}},
    {"cause.open-in-use",
     {"The flash disk was found but could not be opened: sharing violation: another program holds the disk (error {1}).",
      "找到了 U 盘，但无法打开：另一个程序正在使用它（错误 {1}）。", "找到了隨身碟，但無法開啟：另一個程式正在使用它（錯誤 {1}）。",
      "USB フラッシュ ドライブは見つかりましたが、開けませんでした：別のプログラムが使用中です（エラー {1}）。",
      "USB 플래시 드라이브를 찾았지만 열 수 없습니다. 다른 프로그램이 사용 중입니다(오류 {1}).",
      "Der USB-Stick wurde gefunden, ließ sich aber nicht öffnen: Ein anderes Programm verwendet ihn (Fehler {1}).",
      "La clé USB a été trouvée mais n’a pas pu être ouverte" NBSP ": un autre programme l’utilise (erreur {1}).",
      "Se encontró la memoria USB, pero no se pudo abrir: otro programa la está usando (error {1})."}},
    {"cause.open-failed",
     {"The flash disk was found but could not be opened: {E} (error {1}).", "找到了 U 盘，但无法打开：{E}（错误 {1}）。",
      "找到了隨身碟，但無法開啟：{E}（錯誤 {1}）。",
      "USB フラッシュ ドライブは見つかりましたが、開けませんでした：{E}（エラー {1}）。",
      "USB 플래시 드라이브를 찾았지만 열 수 없습니다. {E}(오류 {1}).",
      "Der USB-Stick wurde gefunden, ließ sich aber nicht öffnen: {E} (Fehler {1}).",
      "La clé USB a été trouvée mais n’a pas pu être ouverte" NBSP ": {E} (erreur {1}).",
      "Se encontró la memoria USB, pero no se pudo abrir: {E} (error {1})."}},
    {"remedy.run-elevated",
     {"On Windows Vista and later run the program elevated (as administrator); otherwise ask the administrator whether "
      "a policy denies access to removable storage.",
      "在 Windows Vista 及更高版本上，请以管理员身份运行该程序；否则请询问管理员是否有策略禁止访问可移动存储设备。",
      "在 Windows Vista 及更新版本上，請以系統管理員身分執行此程式；否則請詢問系統管理員是否有原則禁止存取卸除式存放裝置。",
      "Windows Vista 以降では、プログラムを管理者として実行してください。それ以外の場合は、リムーバブル記憶域への"
      "アクセスを禁止するポリシーがないか管理者に確認してください。",
      "Windows Vista 이상에서는 프로그램을 관리자 권한으로 실행하십시오. 그 밖의 경우에는 이동식 저장소에 대한 액세스를 "
      "막는 정책이 있는지 관리자에게 문의하십시오.",
      "Unter Windows Vista und neuer starten Sie das Programm als Administrator. Andernfalls fragen Sie Ihren "
      "Administrator, ob eine Richtlinie den Zugriff auf Wechseldatenträger sperrt.",
      "Sous Windows Vista et plus récent, exécutez le programme en tant qu’administrateur. Sinon, demandez à "
      "l’administrateur si une stratégie bloque l’accès aux supports amovibles.",
      "En Windows Vista o posterior, ejecute el programa como administrador. Si no, pregunte al administrador si una "
      "directiva bloquea el acceso al almacenamiento extraíble."}},
    {"remedy.release-disk",
     {"Check that the disk is still attached and that no other program holds it, then reinsert it.",
      "请确认 U 盘仍已连接且没有其他程序在使用它，然后重新插入。", "請確認隨身碟仍已連接且沒有其他程式在使用它，然後重新插入。",
      "ドライブが接続されたままで、ほかのプログラムが使っていないことを確認してから、差し直してください。",
      "드라이브가 연결되어 있고 다른 프로그램이 사용하고 있지 않은지 확인한 후 다시 꽂으십시오.",
      "Prüfen Sie, ob der USB-Stick noch angeschlossen ist und kein anderes Programm ihn verwendet, und stecken Sie ihn "
      "dann neu ein.",
      "Vérifiez que la clé est toujours branchée et qu’aucun autre programme ne l’utilise, puis rebranchez-la.",
      "Compruebe que la memoria sigue conectada y que ningún otro programa la está usando, y vuelva a conectarla."}},
    {"cause.transport-failed",
     {"The vendor read did not reach the disk: DeviceIoControl failed: {E} (error {1}).",
      "读取命令未能送达 U 盘：{E}（错误 {1}）。", "讀取命令未能送達隨身碟：{E}（錯誤 {1}）。",
      "読み取りコマンドが USB フラッシュ ドライブに届きませんでした：{E}（エラー {1}）。",
      "읽기 명령이 USB 플래시 드라이브에 전달되지 않았습니다. {E}(오류 {1}).",
      "Der Lesebefehl hat den USB-Stick nicht erreicht: {E} (Fehler {1}).",
      "La commande de lecture n’a pas atteint la clé USB" NBSP ": {E} (erreur {1}).",
      "La orden de lectura no llegó a la memoria USB: {E} (error {1})."}},
    {"remedy.pass-through-blocked",
     {"Reinsert the disk; if it persists, the disk's driver or a policy blocks SCSI pass-through.",
      "请重新插入 U 盘。如果问题仍然存在，说明驱动程序或策略阻止了 SCSI 直通命令。",
      "請重新插入隨身碟。如果問題仍然存在，表示驅動程式或原則封鎖了 SCSI 直通命令。",
      "ドライブを差し直してください。それでも直らない場合は、ドライバーまたはポリシーが SCSI パススルーを禁止しています。",
      "드라이브를 다시 꽂으십시오. 그래도 계속되면 드라이버나 정책이 SCSI 패스스루를 막고 있는 것입니다.",
      "Stecken Sie den USB-Stick neu ein. Tritt der Fehler wieder auf, sperrt der Treiber oder eine Richtlinie "
      "SCSI-Pass-Through.",
      "Rebranchez la clé. Si le problème persiste, le pilote ou une stratégie bloque le SCSI pass-through.",
      "Vuelva a conectar la memoria. Si el problema continúa, el controlador o una directiva bloquea el paso directo "
      "SCSI (pass-through)."}},

    // What a Windows error means, for {E}: the first argument's number. The
    // English is the explanation's own name for it.
    {"error.2", {"file not found", "找不到文件", "找不到檔案", "ファイルが見つかりません", "파일을 찾을 수 없습니다",
                 "Datei nicht gefunden", "fichier introuvable", "no se encontró el archivo"}},
    {"error.3", {"path not found", "找不到路径", "找不到路徑", "パスが見つかりません", "경로를 찾을 수 없습니다",
                 "Pfad nicht gefunden", "chemin introuvable", "no se encontró la ruta"}},
    {"error.5", {"access denied", "拒绝访问", "存取被拒", "アクセスが拒否されました", "액세스가 거부되었습니다",
                 "Zugriff verweigert", "accès refusé", "acceso denegado"}},
    {"error.6", {"invalid handle", "句柄无效", "控制代碼無效", "ハンドルが無効です", "핸들이 잘못되었습니다",
                 "ungültiges Handle", "descripteur non valide", "identificador no válido"}},
    {"error.8", {"not enough memory", "内存不足", "記憶體不足", "メモリが不足しています", "메모리가 부족합니다",
                 "nicht genügend Arbeitsspeicher", "mémoire insuffisante", "memoria insuficiente"}},
    {"error.21", {"the device is not ready", "设备未就绪", "裝置未就緒", "デバイスの準備ができていません",
                  "장치가 준비되지 않았습니다", "das Gerät ist nicht bereit", "le périphérique n’est pas prêt",
                  "el dispositivo no está listo"}},
    {"error.31", {"a device attached to the system is not functioning", "连接到系统的设备无法正常工作",
                  "連接到系統的裝置無法正常運作", "システムに接続されたデバイスが動作していません",
                  "시스템에 연결된 장치가 작동하지 않습니다", "ein angeschlossenes Gerät funktioniert nicht",
                  "un périphérique connecté ne fonctionne pas", "un dispositivo conectado no funciona"}},
    {"error.32", {"sharing violation: another program holds the disk", "另一个程序正在使用 U 盘",
                  "另一個程式正在使用隨身碟", "別のプログラムが使用中です", "다른 프로그램이 사용 중입니다",
                  "ein anderes Programm verwendet den USB-Stick", "un autre programme utilise la clé USB",
                  "otro programa está usando la memoria USB"}},
    {"error.50", {"the request is not supported", "不支持该请求", "不支援此要求", "この要求はサポートされていません",
                  "요청이 지원되지 않습니다", "die Anforderung wird nicht unterstützt",
                  "la demande n’est pas prise en charge", "no se admite la solicitud"}},
    {"error.87", {"invalid parameter", "参数错误", "參數錯誤", "パラメーターが間違っています", "매개 변수가 틀립니다",
                  "ungültiger Parameter", "paramètre incorrect", "parámetro incorrecto"}},
    {"error.126", {"the module was not found", "找不到模块", "找不到模組", "モジュールが見つかりません",
                   "모듈을 찾을 수 없습니다", "das Modul wurde nicht gefunden", "module introuvable",
                   "no se encontró el módulo"}},
    {"error.127", {"the entry point was not found", "找不到入口点", "找不到進入點", "エントリ ポイントが見つかりません",
                   "진입점을 찾을 수 없습니다", "der Einstiegspunkt wurde nicht gefunden", "point d’entrée introuvable",
                   "no se encontró el punto de entrada"}},
    {"error.170", {"the device is busy", "设备正忙", "裝置忙碌中", "デバイスは使用中です", "장치가 사용 중입니다",
                   "das Gerät ist belegt", "le périphérique est occupé", "el dispositivo está ocupado"}},
    {"error.1117", {"an I/O device error", "I/O 设备错误", "I/O 裝置錯誤", "I/O デバイス エラー", "I/O 장치 오류",
                    "E/A-Gerätefehler", "erreur de périphérique d’E/S", "error de dispositivo de E/S"}},
    {"error.1167", {"the device is not connected", "设备未连接", "裝置未連接", "デバイスが接続されていません",
                    "장치가 연결되어 있지 않습니다", "das Gerät ist nicht angeschlossen",
                    "le périphérique n’est pas connecté", "el dispositivo no está conectado"}},
    {"error.other", {"an error the explanation has no name for", "未知错误", "未知的錯誤", "不明なエラー",
                     "알 수 없는 오류", "unbekannter Fehler", "erreur inconnue", "error desconocido"}},
    {"cause.command-refused",
     {"The disk refused the vendor read: SCSI status {1}, sense key {2}.", "U 盘拒绝了读取命令（SCSI 状态 {1}，检测键 {2}）。",
      "隨身碟拒絕了讀取命令（SCSI 狀態 {1}，感測鍵 {2}）。",
      "USB フラッシュ ドライブが読み取りコマンドを拒否しました（SCSI ステータス {1}、センス キー {2}）。",
      "USB 플래시 드라이브가 읽기 명령을 거부했습니다(SCSI 상태 {1}, 센스 키 {2}).",
      "Der USB-Stick hat den Lesebefehl abgelehnt (SCSI-Status {1}, Sense Key {2}).",
      "La clé USB a refusé la commande de lecture (état SCSI {1}, clé de détection {2}).",
      "La memoria USB rechazó la orden de lectura (estado SCSI {1}, clave de detección {2})."}},
    {"cause.command-refused-status",
     {"The disk refused the vendor read: SCSI status {1}.", "U 盘拒绝了读取命令（SCSI 状态 {1}）。",
      "隨身碟拒絕了讀取命令（SCSI 狀態 {1}）。", "USB フラッシュ ドライブが読み取りコマンドを拒否しました（SCSI ステータス {1}）。",
      "USB 플래시 드라이브가 읽기 명령을 거부했습니다(SCSI 상태 {1}).", "Der USB-Stick hat den Lesebefehl abgelehnt (SCSI-Status {1}).",
      "La clé USB a refusé la commande de lecture (état SCSI {1}).",
      "La memoria USB rechazó la orden de lectura (estado SCSI {1})."}},
    {"remedy.other-product",
     {"The disk does not know the vendor command: it is another product of the same vendor; use a flash disk of the "
      "served family.",
      "这个 U 盘不认识该命令：它是同一厂商的其他产品。请使用受支持型号的 U 盘。",
      "這個隨身碟不認得該命令：它是同一廠商的其他產品。請使用受支援型號的隨身碟。",
      "このドライブはコマンドに対応していません。同じメーカーの別の製品です。対応する USB フラッシュ ドライブを使ってください。",
      "이 드라이브는 해당 명령을 지원하지 않는 같은 제조사의 다른 제품입니다. 지원되는 USB 플래시 드라이브를 사용하십시오.",
      "Der USB-Stick kennt den Befehl nicht: Er ist ein anderes Produkt desselben Herstellers. Verwenden Sie einen "
      "unterstützten USB-Stick.",
      "La clé ne connaît pas cette commande" NBSP ": c’est un autre produit du même fabricant. Utilisez une clé USB prise "
      "en charge.",
      "La memoria no reconoce la orden: es otro producto del mismo fabricante. Use una memoria USB compatible."}},
    {"remedy.disk-faulty",
     {"Reinsert the disk and try again; if it persists, the disk is faulty.", "请重新插入 U 盘后再试。如果问题仍然存在，说明 U 盘有故障。",
      "請重新插入隨身碟後再試。如果問題仍然存在，表示隨身碟故障。",
      "ドライブを差し直して、もう一度お試しください。それでも直らない場合は、ドライブの故障です。",
      "드라이브를 다시 꽂고 다시 시도하십시오. 그래도 계속되면 드라이브에 결함이 있는 것입니다.",
      "Stecken Sie den USB-Stick neu ein und versuchen Sie es erneut. Tritt der Fehler wieder auf, ist der Stick defekt.",
      "Rebranchez la clé et réessayez. Si le problème persiste, la clé est défectueuse.",
      "Vuelva a conectar la memoria e inténtelo de nuevo. Si el problema continúa, la memoria está averiada."}},
    {"cause.attach-failed",
     {"The attach failed after the vendor read.", "读取命令之后，加载仍然失败。", "讀取命令之後，載入仍然失敗。",
      "読み取りコマンドの後で読み込みに失敗しました。", "읽기 명령 후 불러오기에 실패했습니다.",
      "Das Laden schlug nach dem Lesebefehl fehl.", "Le chargement a échoué après la commande de lecture.",
      "La carga falló después de la orden de lectura."}},
    {"remedy.again-or-support",
     {"Run the program again; if it persists, send the capture to support.",
      "请重新运行程序。如果问题仍然存在，请保存报告并发送给技术支持。", "請重新執行程式。如果問題仍然存在，請儲存報告並傳送給技術支援。",
      "プログラムをもう一度実行してください。それでも直らない場合は、レポートを保存してサポートに送ってください。",
      "프로그램을 다시 실행하십시오. 그래도 계속되면 보고서를 저장하여 지원팀에 보내십시오.",
      "Starten Sie das Programm erneut. Tritt der Fehler wieder auf, speichern Sie einen Bericht und senden Sie ihn an "
      "den Support.",
      "Relancez le programme. Si le problème persiste, enregistrez un rapport et envoyez-le au support.",
      "Vuelva a ejecutar el programa. Si el problema continúa, guarde un informe y envíelo al soporte técnico."}},
    {"cause.no-aspi-manager",
     {"WNASPI32.DLL, the ASPI manager, is not installed.", "未安装 ASPI 管理程序 WNASPI32.DLL。", "未安裝 ASPI 管理程式 WNASPI32.DLL。",
      "ASPI マネージャー（WNASPI32.DLL）がインストールされていません。", "ASPI 관리자(WNASPI32.DLL)가 설치되어 있지 않습니다.",
      "Der ASPI-Manager WNASPI32.DLL ist nicht installiert.", "Le gestionnaire ASPI WNASPI32.DLL n’est pas installé.",
      "El administrador ASPI WNASPI32.DLL no está instalado."}},
    {"remedy.install-aspi",
     {"Install an ASPI manager (WNASPI32.DLL) for Windows 9x and attach the disk again.",
      "请安装适用于 Windows 9x 的 ASPI 管理程序（WNASPI32.DLL），然后重新插入 U 盘。",
      "請安裝適用於 Windows 9x 的 ASPI 管理程式（WNASPI32.DLL），然後重新插入隨身碟。",
      "Windows 9x 用の ASPI マネージャー（WNASPI32.DLL）をインストールし、ドライブを接続し直してください。",
      "Windows 9x용 ASPI 관리자(WNASPI32.DLL)를 설치한 후 드라이브를 다시 연결하십시오.",
      "Installieren Sie einen ASPI-Manager (WNASPI32.DLL) für Windows 9x und schließen Sie den USB-Stick erneut an.",
      "Installez un gestionnaire ASPI (WNASPI32.DLL) pour Windows 9x et rebranchez la clé.",
      "Instale un administrador ASPI (WNASPI32.DLL) para Windows 9x y vuelva a conectar la memoria."}},
    {"cause.aspi-entry-point-missing",
     {"WNASPI32.DLL lacks its entry point {1}.", "WNASPI32.DLL 缺少入口点 {1}。", "WNASPI32.DLL 缺少進入點 {1}。",
      "WNASPI32.DLL にエントリ ポイント {1} がありません。", "WNASPI32.DLL에 진입점 {1}이(가) 없습니다.",
      "In WNASPI32.DLL fehlt der Einsprungpunkt {1}.", "Il manque le point d’entrée {1} dans WNASPI32.DLL.",
      "A WNASPI32.DLL le falta el punto de entrada {1}."}},
    {"remedy.reinstall-aspi",
     {"Reinstall a complete ASPI manager (WNASPI32.DLL).", "请重新安装完整的 ASPI 管理程序（WNASPI32.DLL）。",
      "請重新安裝完整的 ASPI 管理程式（WNASPI32.DLL）。", "完全な ASPI マネージャー（WNASPI32.DLL）をインストールし直してください。",
      "완전한 ASPI 관리자(WNASPI32.DLL)를 다시 설치하십시오.",
      "Installieren Sie einen vollständigen ASPI-Manager (WNASPI32.DLL) neu.",
      "Réinstallez un gestionnaire ASPI complet (WNASPI32.DLL).",
      "Vuelva a instalar un administrador ASPI completo (WNASPI32.DLL)."}},
    {"cause.aspi-not-started",
     {"The ASPI manager failed to start (status {1}).", "ASPI 管理程序启动失败（状态 {1}）。", "ASPI 管理程式啟動失敗（狀態 {1}）。",
      "ASPI マネージャーを開始できませんでした（ステータス {1}）。", "ASPI 관리자를 시작하지 못했습니다(상태 {1}).",
      "Der ASPI-Manager ließ sich nicht starten (Status {1}).", "Le gestionnaire ASPI n’a pas pu démarrer (état {1}).",
      "El administrador ASPI no pudo iniciarse (estado {1})."}},
    {"remedy.reinstall-aspi-restart",
     {"Reinstall the ASPI manager and restart Windows.", "请重新安装 ASPI 管理程序，然后重新启动 Windows。",
      "請重新安裝 ASPI 管理程式，然後重新啟動 Windows。", "ASPI マネージャーをインストールし直して、Windows を再起動してください。",
      "ASPI 관리자를 다시 설치하고 Windows를 다시 시작하십시오.",
      "Installieren Sie den ASPI-Manager neu und starten Sie Windows neu.",
      "Réinstallez le gestionnaire ASPI et redémarrez Windows.", "Vuelva a instalar el administrador ASPI y reinicie Windows."}},
    {"cause.no-host-adapters",
     {"The ASPI manager reports no host adapters.", "ASPI 管理程序未发现任何主机适配器。", "ASPI 管理程式找不到任何主機介面卡。",
      "ASPI マネージャーがホスト アダプターを 1 つも検出しません。", "ASPI 관리자가 호스트 어댑터를 하나도 찾지 못했습니다.",
      "Der ASPI-Manager meldet keine Hostadapter.", "Le gestionnaire ASPI ne signale aucun adaptateur hôte.",
      "El administrador ASPI no indica ningún adaptador host."}},
    {"remedy.install-usb-driver",
     {"Install the USB storage driver for Windows 98, attach the disk and restart Windows.",
      "请安装 Windows 98 的 USB 存储驱动程序，插入 U 盘，然后重新启动 Windows。",
      "請安裝 Windows 98 的 USB 儲存裝置驅動程式，插入隨身碟，然後重新啟動 Windows。",
      "Windows 98 用の USB ストレージ ドライバーをインストールし、ドライブを接続して Windows を再起動してください。",
      "Windows 98용 USB 저장 장치 드라이버를 설치하고 드라이브를 연결한 후 Windows를 다시 시작하십시오.",
      "Installieren Sie den USB-Speichertreiber für Windows 98, schließen Sie den USB-Stick an und starten Sie Windows neu.",
      "Installez le pilote de stockage USB pour Windows 98, branchez la clé et redémarrez Windows.",
      "Instale el controlador de almacenamiento USB para Windows 98, conecte la memoria y reinicie Windows."}},
    {"cause.no-aspi-flash-disk",
     {"No ASPI unit identifies as the flash disk (\"{1}\").", "没有任何 ASPI 设备标识为该 U 盘（“{1}”）。",
      "沒有任何 ASPI 裝置識別為該隨身碟（「{1}」）。", "USB フラッシュ ドライブ（「{1}」）として識別される ASPI ユニットがありません。",
      "USB 플래시 드라이브(\"{1}\")로 식별되는 ASPI 장치가 없습니다.", "Kein ASPI-Gerät meldet sich als USB-Stick („{1}“).",
      "Aucune unité ASPI ne s’identifie comme la clé USB («" NBSP "{1}" NBSP "»).",
      "Ninguna unidad ASPI se identifica como la memoria USB («{1}»)."}},
    {"remedy.attach-served-disk-98",
     {"Attach a flash disk of the served family; check that Windows shows it as a disk drive.",
      "请插入受支持的 U 盘，并确认 Windows 将其显示为磁盘驱动器。", "請插入受支援的隨身碟，並確認 Windows 將它顯示為磁碟機。",
      "対応する USB フラッシュ ドライブを接続し、Windows がディスク ドライブとして表示していることを確認してください。",
      "지원되는 USB 플래시 드라이브를 연결하고, Windows에 디스크 드라이브로 표시되는지 확인하십시오.",
      "Schließen Sie einen unterstützten USB-Stick an und prüfen Sie, ob Windows ihn als Laufwerk anzeigt.",
      "Branchez une clé USB prise en charge et vérifiez que Windows l’affiche comme lecteur de disque.",
      "Conecte una memoria USB compatible y compruebe que Windows la muestra como unidad de disco."}},
    {"cause.unit-refused",
     {"The unit at adapter {1} target {2} lun {3}, which identifies as the flash disk, rejected the vendor read (ASPI "
      "status {4}).",
      "位于适配器 {1}、目标 {2}、LUN {3} 的 U 盘拒绝了读取命令（ASPI 状态 {4}）。",
      "位於介面卡 {1}、目標 {2}、LUN {3} 的隨身碟拒絕了讀取命令（ASPI 狀態 {4}）。",
      "アダプター {1}、ターゲット {2}、LUN {3} の USB フラッシュ ドライブが読み取りコマンドを拒否しました（ASPI ステータス {4}）。",
      "어댑터 {1}, 대상 {2}, LUN {3}의 USB 플래시 드라이브가 읽기 명령을 거부했습니다(ASPI 상태 {4}).",
      "Der USB-Stick an Adapter {1}, Ziel {2}, LUN {3} hat den Lesebefehl abgelehnt (ASPI-Status {4}).",
      "La clé USB sur l’adaptateur {1}, cible {2}, LUN {3} a refusé la commande de lecture (état ASPI {4}).",
      "La memoria USB del adaptador {1}, destino {2}, LUN {3} rechazó la orden de lectura (estado ASPI {4})."}},
    {"cause.letter-search-failed",
     {"The library loads, but the drive-letter search broke down: {1} failed (its call {2}, a fault the machine "
      "describes); GetUSBDriveLetter returns 0 and GetIDKey fails.",
      "库可以加载，但查找驱动器号时出错：{1} 失败（第 {2} 次调用），因此无法取得驱动器号和密钥。",
      "程式庫可以載入，但尋找磁碟機代號時發生錯誤：{1} 失敗（第 {2} 次呼叫），因此無法取得磁碟機代號和金鑰。",
      "ライブラリは読み込めますが、ドライブ文字の検索でエラーが発生しました：{1} が失敗しました（{2} 回目の呼び出し）。"
      "ドライブ文字とキーを取得できません。",
      "라이브러리는 불러올 수 있지만 드라이브 문자를 찾는 중 오류가 발생했습니다. {1} 호출이 실패하여({2}번째 호출) "
      "드라이브 문자와 키를 가져올 수 없습니다.",
      "Die Bibliothek lädt, aber die Suche nach dem Laufwerkbuchstaben ist fehlgeschlagen: {1} schlug fehl (Aufruf {2}); "
      "Laufwerkbuchstabe und Schlüssel fehlen.",
      "La bibliothèque se charge, mais la recherche de la lettre de lecteur a échoué" NBSP ": {1} a échoué (appel {2})"
      NBSP "; ni la lettre ni la clé ne sont disponibles.",
      "La biblioteca se carga, pero la búsqueda de la letra de unidad falló: {1} falló (llamada {2}); no se obtienen ni "
      "la letra ni la clave."}},
    {"cause.letter-search-failed-key-served",
     {"The library loads, but the drive-letter search broke down: {1} failed (its call {2}, a fault the machine "
      "describes); GetUSBDriveLetter returns 0 (GetIDKey, which searches again, gets the key).",
      "库可以加载，但查找驱动器号时出错：{1} 失败（第 {2} 次调用），因此无法取得驱动器号（密钥仍可取得）。",
      "程式庫可以載入，但尋找磁碟機代號時發生錯誤：{1} 失敗（第 {2} 次呼叫），因此無法取得磁碟機代號（金鑰仍可取得）。",
      "ライブラリは読み込めますが、ドライブ文字の検索でエラーが発生しました：{1} が失敗しました（{2} 回目の呼び出し）。"
      "ドライブ文字は取得できません（キーは取得できます）。",
      "라이브러리는 불러올 수 있지만 드라이브 문자를 찾는 중 오류가 발생했습니다. {1} 호출이 실패하여({2}번째 호출) "
      "드라이브 문자를 가져올 수 없습니다(키는 가져올 수 있습니다).",
      "Die Bibliothek lädt, aber die Suche nach dem Laufwerkbuchstaben ist fehlgeschlagen: {1} schlug fehl (Aufruf {2}); "
      "der Laufwerkbuchstabe fehlt (der Schlüssel wird gelesen).",
      "La bibliothèque se charge, mais la recherche de la lettre de lecteur a échoué" NBSP ": {1} a échoué (appel {2})"
      NBSP "; la lettre n’est pas disponible (la clé, si).",
      "La biblioteca se carga, pero la búsqueda de la letra de unidad falló: {1} falló (llamada {2}); no se obtiene la "
      "letra (la clave, sí)."}},
    {"remedy.again-reinsert",
     {"Run the program again; if it persists, reinsert the disk.", "请重新运行程序。如果问题仍然存在，请重新插入 U 盘。",
      "請重新執行程式。如果問題仍然存在，請重新插入隨身碟。",
      "プログラムをもう一度実行してください。それでも直らない場合は、ドライブを差し直してください。",
      "프로그램을 다시 실행하십시오. 그래도 계속되면 드라이브를 다시 꽂으십시오.",
      "Starten Sie das Programm erneut. Tritt der Fehler wieder auf, stecken Sie den USB-Stick neu ein.",
      "Relancez le programme. Si le problème persiste, rebranchez la clé.",
      "Vuelva a ejecutar el programa. Si el problema continúa, vuelva a conectar la memoria."}},
    {"cause.no-letter-disk",
     {"The library loads, but no disk's path holds \"{1}\", \"{2}\" and \"{3}\": GetUSBDriveLetter returns 0 and "
      "GetIDKey fails.",
      "库可以加载，但没有磁盘的路径同时包含“{1}”、“{2}”和“{3}”，因此无法取得驱动器号和密钥。",
      "程式庫可以載入，但沒有磁碟的路徑同時包含「{1}」、「{2}」和「{3}」，因此無法取得磁碟機代號和金鑰。",
      "ライブラリは読み込めますが、パスに「{1}」「{2}」「{3}」をすべて含むディスクがないため、ドライブ文字とキーを取得できません。",
      "라이브러리는 불러올 수 있지만 경로에 \"{1}\", \"{2}\", \"{3}\"을(를) 모두 포함하는 디스크가 없어 드라이브 문자와 "
      "키를 가져올 수 없습니다.",
      "Die Bibliothek lädt, aber kein Datenträgerpfad enthält „{1}“, „{2}“ und „{3}“: Laufwerkbuchstabe und Schlüssel "
      "fehlen.",
      "La bibliothèque se charge, mais aucun chemin de disque ne contient «" NBSP "{1}" NBSP "», «" NBSP "{2}" NBSP "» et «"
      NBSP "{3}" NBSP "»" NBSP ": ni la lettre ni la clé ne sont disponibles.",
      "La biblioteca se carga, pero ninguna ruta de disco contiene «{1}», «{2}» y «{3}»: no se obtienen ni la letra ni "
      "la clave."}},
    {"remedy.revision-only",
     {"The drive letter and the key are served for USB flash disks of revision {1} only; attach one.",
      "只有版本为 {1} 的 U 盘才能提供驱动器号和密钥，请插入这样的 U 盘。",
      "只有版本為 {1} 的隨身碟才能提供磁碟機代號和金鑰，請插入這樣的隨身碟。",
      "ドライブ文字とキーを取得できるのはリビジョン {1} の USB フラッシュ ドライブだけです。そのドライブを接続してください。",
      "드라이브 문자와 키는 리비전 {1}의 USB 플래시 드라이브에서만 가져올 수 있습니다. 해당 드라이브를 연결하십시오.",
      "Laufwerkbuchstabe und Schlüssel gibt es nur für USB-Sticks der Revision {1}; schließen Sie einen solchen an.",
      "La lettre de lecteur et la clé ne sont disponibles que pour les clés USB de révision {1}" NBSP "; branchez-en une.",
      "La letra de unidad y la clave solo están disponibles para memorias USB de la revisión {1}; conecte una."}},
    {"cause.no-lettered-volume",
     {"The library loads, but the flash disk has no lettered removable volume: GetUSBDriveLetter returns 0 and GetIDKey "
      "fails.",
      "库可以加载，但 U 盘的可移动分区没有驱动器号，因此无法取得驱动器号和密钥。",
      "程式庫可以載入，但隨身碟的卸除式磁碟分割沒有磁碟機代號，因此無法取得磁碟機代號和金鑰。",
      "ライブラリは読み込めますが、USB フラッシュ ドライブのリムーバブル ボリュームにドライブ文字がないため、ドライブ文字と"
      "キーを取得できません。",
      "라이브러리는 불러올 수 있지만 USB 플래시 드라이브의 이동식 볼륨에 드라이브 문자가 없어 드라이브 문자와 키를 가져올 "
      "수 없습니다.",
      "Die Bibliothek lädt, aber der Wechseldatenträger des USB-Sticks hat keinen Laufwerkbuchstaben: "
      "Laufwerkbuchstabe und Schlüssel fehlen.",
      "La bibliothèque se charge, mais le volume amovible de la clé USB n’a pas de lettre de lecteur" NBSP ": ni la "
      "lettre ni la clé ne sont disponibles.",
      "La biblioteca se carga, pero el volumen extraíble de la memoria USB no tiene letra de unidad: no se obtienen ni "
      "la letra ni la clave."}},
    {"remedy.removable-letter",
     {"Reinsert the disk and check in Disk Management that its removable partition has a drive letter.",
      "请重新插入 U 盘，并在“磁盘管理”中确认它的可移动分区有驱动器号。",
      "請重新插入隨身碟，並在「磁碟管理」中確認它的卸除式磁碟分割有磁碟機代號。",
      "ドライブを差し直し、[ディスクの管理] でリムーバブル パーティションにドライブ文字があることを確認してください。",
      "드라이브를 다시 꽂고, [디스크 관리]에서 이동식 파티션에 드라이브 문자가 있는지 확인하십시오.",
      "Stecken Sie den USB-Stick neu ein und prüfen Sie in der Datenträgerverwaltung, ob seine Wechselpartition einen "
      "Laufwerkbuchstaben hat.",
      "Rebranchez la clé et vérifiez dans la Gestion des disques que sa partition amovible a une lettre de lecteur.",
      "Vuelva a conectar la memoria y compruebe en Administración de discos que su partición extraíble tiene letra de "
      "unidad."}},
    {"cause.no-vendor-library",
     {"The vendor library {1} cannot be loaded: GetIDKey fails.", "无法加载厂商库 {1}，因此无法取得密钥。",
      "無法載入廠商程式庫 {1}，因此無法取得金鑰。", "メーカーのライブラリ {1} を読み込めないため、キーを取得できません。",
      "제조사 라이브러리 {1}을(를) 불러올 수 없어 키를 가져올 수 없습니다.",
      "Die Herstellerbibliothek {1} lässt sich nicht laden: Der Schlüssel ist nicht lesbar.",
      "La bibliothèque du fabricant {1} ne se charge pas" NBSP ": la clé n’est pas disponible.",
      "No se puede cargar la biblioteca del fabricante {1}: no se obtiene la clave."}},
    {"remedy.ship-vendor-folder",
     {"Ship the folder Vendor with VendorUFDAPI.dll beside the program.", "请将包含 VendorUFDAPI.dll 的 Vendor 文件夹放在程序旁边。",
      "請將包含 VendorUFDAPI.dll 的 Vendor 資料夾放在程式旁邊。",
      "VendorUFDAPI.dll の入った Vendor フォルダーを、プログラムと同じ場所に置いてください。",
      "VendorUFDAPI.dll이 들어 있는 Vendor 폴더를 프로그램과 같은 위치에 두십시오.",
      "Legen Sie den Ordner Vendor mit VendorUFDAPI.dll neben das Programm.",
      "Placez le dossier Vendor contenant VendorUFDAPI.dll à côté du programme.",
      "Coloque la carpeta Vendor con VendorUFDAPI.dll junto al programa."}},
    {"cause.no-vendor-entry-point",
     {"{1} lacks {2}: GetIDKey fails.", "{1} 缺少 {2}，因此无法取得密钥。", "{1} 缺少 {2}，因此無法取得金鑰。",
      "{1} に {2} がないため、キーを取得できません。", "{1}에 {2}이(가) 없어 키를 가져올 수 없습니다.",
      "{1} enthält {2} nicht: Der Schlüssel ist nicht lesbar.", "{1} ne contient pas {2}" NBSP ": la clé n’est pas disponible.",
      "{1} no contiene {2}: no se obtiene la clave."}},
    {"remedy.ship-vendor-original",
     {"Ship the disk vendor's own VendorUFDAPI.dll; this one is another version or another library.",
      "请使用 U 盘厂商提供的 VendorUFDAPI.dll；当前文件是其他版本或其他库。",
      "請使用隨身碟廠商提供的 VendorUFDAPI.dll；目前的檔案是其他版本或其他程式庫。",
      "USB フラッシュ ドライブのメーカーが提供する VendorUFDAPI.dll を使ってください。今のファイルは別のバージョンか別の"
      "ライブラリです。",
      "USB 플래시 드라이브 제조사가 제공한 VendorUFDAPI.dll을 사용하십시오. 현재 파일은 다른 버전이거나 다른 라이브러리입니다.",
      "Verwenden Sie die VendorUFDAPI.dll des USB-Stick-Herstellers; diese ist eine andere Version oder eine andere "
      "Bibliothek.",
      "Utilisez la VendorUFDAPI.dll du fabricant de la clé" NBSP "; celle-ci est une autre version ou une autre "
      "bibliothèque.",
      "Use la VendorUFDAPI.dll del fabricante de la memoria; esta es otra versión u otra biblioteca."}},
    {"cause.vendor-call-failed",
     {"The vendor library's {1} failed (returned {2}) for {3}: GetIDKey fails.",
      "厂商库的 {1} 对驱动器 {3} 调用失败（返回 {2}），因此无法取得密钥。",
      "廠商程式庫的 {1} 對磁碟機 {3} 呼叫失敗（傳回 {2}），因此無法取得金鑰。",
      "メーカーのライブラリの {1} がドライブ {3} で失敗したため（戻り値 {2}）、キーを取得できません。",
      "제조사 라이브러리의 {1}이(가) 드라이브 {3}에서 실패하여(반환값 {2}) 키를 가져올 수 없습니다.",
      "{1} der Herstellerbibliothek ist für {3} fehlgeschlagen (Rückgabewert {2}): Der Schlüssel ist nicht lesbar.",
      "{1} de la bibliothèque du fabricant a échoué pour {3} (valeur renvoyée" NBSP ": {2})" NBSP ": la clé n’est pas "
      "disponible.",
      "{1} de la biblioteca del fabricante falló para {3} (devolvió {2}): no se obtiene la clave."}},
    {"remedy.check-vendor-tool",
     {"Check the flash disk with the vendor's tool; another product of the vendor has no key.",
      "请用厂商的工具检查 U 盘；该厂商的其他产品没有密钥。", "請用廠商的工具檢查隨身碟；該廠商的其他產品沒有金鑰。",
      "メーカーのツールでドライブを確認してください。同じメーカーの別の製品にはキーがありません。",
      "제조사의 도구로 드라이브를 확인하십시오. 같은 제조사의 다른 제품에는 키가 없습니다.",
      "Prüfen Sie den USB-Stick mit dem Programm des Herstellers; andere Produkte des Herstellers haben keinen Schlüssel.",
      "Vérifiez la clé avec l’outil du fabricant" NBSP "; les autres produits du fabricant n’ont pas de clé.",
      "Compruebe la memoria con la herramienta del fabricante; otros productos del fabricante no tienen clave."}},
    {"cause.no-vendor-helper",
     {"The vendor library is a 32-bit DLL, which this 64-bit program calls through morvalith-vendor32.exe, and that "
      "program is not beside Morvalith.dll: GetIDKey fails.",
      "厂商库是 32 位 DLL，64 位程序需要通过 morvalith-vendor32.exe 调用它，但 Morvalith.dll 旁边没有该程序，因此无法取得密钥。",
      "廠商程式庫是 32 位元 DLL，64 位元程式需要透過 morvalith-vendor32.exe 呼叫它，但 Morvalith.dll 旁邊沒有該程式，因此"
      "無法取得金鑰。",
      "メーカーのライブラリは 32 ビットの DLL で、64 ビットのプログラムは morvalith-vendor32.exe を通して呼び出します。"
      "Morvalith.dll と同じ場所にこのプログラムがないため、キーを取得できません。",
      "제조사 라이브러리는 32비트 DLL이라 64비트 프로그램은 morvalith-vendor32.exe를 통해 호출하는데, Morvalith.dll 옆에 "
      "이 프로그램이 없어 키를 가져올 수 없습니다.",
      "Die Herstellerbibliothek ist eine 32-Bit-DLL, die dieses 64-Bit-Programm über morvalith-vendor32.exe aufruft, "
      "doch diese Datei liegt nicht neben Morvalith.dll: Der Schlüssel ist nicht lesbar.",
      "La bibliothèque du fabricant est une DLL 32 bits, que ce programme 64 bits appelle via morvalith-vendor32.exe, et "
      "ce fichier n’est pas à côté de Morvalith.dll" NBSP ": la clé n’est pas disponible.",
      "La biblioteca del fabricante es una DLL de 32 bits, que este programa de 64 bits llama mediante "
      "morvalith-vendor32.exe, y ese archivo no está junto a Morvalith.dll: no se obtiene la clave."}},
    {"remedy.ship-vendor-helper",
     {"Ship morvalith-vendor32.exe from the x64 folder beside the 64-bit Morvalith.dll.",
      "请将 x64 文件夹中的 morvalith-vendor32.exe 放在 64 位 Morvalith.dll 旁边。",
      "請將 x64 資料夾中的 morvalith-vendor32.exe 放在 64 位元 Morvalith.dll 旁邊。",
      "x64 フォルダーの morvalith-vendor32.exe を、64 ビット版 Morvalith.dll と同じ場所に置いてください。",
      "x64 폴더의 morvalith-vendor32.exe를 64비트 Morvalith.dll 옆에 두십시오.",
      "Legen Sie morvalith-vendor32.exe aus dem Ordner x64 neben die 64-Bit-Morvalith.dll.",
      "Placez morvalith-vendor32.exe du dossier x64 à côté de la Morvalith.dll 64 bits.",
      "Coloque morvalith-vendor32.exe de la carpeta x64 junto a la Morvalith.dll de 64 bits."}},
    {"cause.vendor-helper-failed",
     {"The 32-bit vendor library was called through morvalith-vendor32.exe, which gave no whole answer (it hung, "
      "crashed or stopped short): GetIDKey fails.",
      "通过 morvalith-vendor32.exe 调用 32 位厂商库时没有得到完整结果（程序挂起、崩溃或中途停止），因此无法取得密钥。",
      "透過 morvalith-vendor32.exe 呼叫 32 位元廠商程式庫時沒有得到完整結果（程式停止回應、當機或中途停止），因此無法取得金鑰。",
      "morvalith-vendor32.exe を通して 32 ビットのメーカー ライブラリを呼び出しましたが、完全な応答がありませんでした"
      "（応答なし、異常終了、または途中で停止）。キーを取得できません。",
      "morvalith-vendor32.exe를 통해 32비트 제조사 라이브러리를 호출했지만 완전한 응답을 받지 못해(응답 없음, 충돌 또는 "
      "중단) 키를 가져올 수 없습니다.",
      "Die 32-Bit-Herstellerbibliothek wurde über morvalith-vendor32.exe aufgerufen, doch die Antwort blieb "
      "unvollständig (hängen geblieben, abgestürzt oder abgebrochen): Der Schlüssel ist nicht lesbar.",
      "La bibliothèque 32 bits du fabricant a été appelée via morvalith-vendor32.exe, qui n’a pas donné de réponse "
      "complète (blocage, plantage ou arrêt prématuré)" NBSP ": la clé n’est pas disponible.",
      "Se llamó a la biblioteca de 32 bits del fabricante mediante morvalith-vendor32.exe, que no dio una respuesta "
      "completa (se bloqueó, falló o se detuvo antes de tiempo): no se obtiene la clave."}},
    {"remedy.check-vendor-tool-again",
     {"Check the flash disk with the vendor's tool and try again; if it persists, reinstall the program with its "
      "morvalith-vendor32.exe.",
      "请用厂商的工具检查 U 盘后再试；如果问题仍然存在，请连同 morvalith-vendor32.exe 重新安装该程序。",
      "請用廠商的工具檢查隨身碟後再試；如果問題仍然存在，請連同 morvalith-vendor32.exe 重新安裝此程式。",
      "メーカーのツールでドライブを確認して、もう一度お試しください。それでも直らない場合は、morvalith-vendor32.exe を"
      "含めてプログラムをインストールし直してください。",
      "제조사의 도구로 드라이브를 확인한 후 다시 시도하십시오. 그래도 계속되면 morvalith-vendor32.exe와 함께 프로그램을 "
      "다시 설치하십시오.",
      "Prüfen Sie den USB-Stick mit dem Programm des Herstellers und versuchen Sie es erneut. Tritt der Fehler wieder "
      "auf, installieren Sie das Programm mit seiner morvalith-vendor32.exe neu.",
      "Vérifiez la clé avec l’outil du fabricant et réessayez. Si le problème persiste, réinstallez le programme avec "
      "son morvalith-vendor32.exe.",
      "Compruebe la memoria con la herramienta del fabricante e inténtelo de nuevo. Si el problema continúa, vuelva a "
      "instalar el programa con su morvalith-vendor32.exe."}},
    {"cause.key-failed",
     {"GetIDKey fails.", "无法取得密钥。", "無法取得金鑰。", "キーを取得できません。", "키를 가져올 수 없습니다.",
      "Der Schlüssel ist nicht lesbar.", "La clé n’est pas disponible.", "No se obtiene la clave."}},
    {"cause.none",
     {"None: the library loads, GetUSBDriveLetter returns {1}: and GetIDKey returns the key.",
      "没有问题：库可以加载，驱动器号为 {1}:，并且可以取得密钥。", "沒有問題：程式庫可以載入，磁碟機代號為 {1}:，並且可以取得金鑰。",
      "問題はありません。ライブラリを読み込め、ドライブ文字は {1}: で、キーも取得できます。",
      "문제가 없습니다. 라이브러리를 불러올 수 있고, 드라이브 문자는 {1}:이며 키도 가져올 수 있습니다.",
      "Keine: Die Bibliothek lädt, der Laufwerkbuchstabe ist {1}: und der Schlüssel ist lesbar.",
      "Aucune" NBSP ": la bibliothèque se charge, la lettre de lecteur est {1}: et la clé est disponible.",
      "Ninguna: la biblioteca se carga, la letra de unidad es {1}: y se obtiene la clave."}},
    {"remedy.none",
     {"None needed.", "无需任何操作。", "不需要任何操作。", "対処は必要ありません。", "조치할 필요가 없습니다.", "Nichts.",
      "Rien à faire.", "Nada."}},
};

#undef SAME
#undef NBSP

const char *const kCodes[kLanguageCount] = {"en", "zh-CN", "zh-TW", "ja", "ko", "de", "fr", "es"};

const Entry *Find(const std::string &id)
{
    for (const Entry &e : kEntries)
        if (id == e.id) return &e;
    return nullptr;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool Plain(unsigned char c) { return c > 0x20 && c < 0x7F && c != '%' && c != '"' && c != '\\'; }

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

const char *Code(int language) { return language >= 0 && language < kLanguageCount ? kCodes[language] : "en"; }

int FromCode(const std::string &code)
{
    std::string c;
    for (char ch : code) c += ch == '_' ? '-' : Lower(ch);
    // Chinese by its script or its region; the rest by the language alone.
    for (const char *t : {"zh-tw", "zh-hk", "zh-mo", "zh-hant"})
        if (c == t || c.rfind(std::string(t) + "-", 0) == 0) return kChineseTraditional;
    if (c == "zh" || c.rfind("zh-", 0) == 0) return kChineseSimplified;
    std::string primary = c.substr(0, c.find('-'));
    for (int l : {kEnglish, kJapanese, kKorean, kGerman, kFrench, kSpanish})
        if (primary == kCodes[l]) return l;
    return -1;
}

int FromLangId(uint16_t langId)
{
    const unsigned primary = langId & 0x3FF, sub = langId >> 10;
    switch (primary) {
    case 0x04:  // Chinese: Taiwan, Hong Kong, Macao and "Traditional" read Traditional
        return sub == 0x01 || sub == 0x03 || sub == 0x05 || sub == 0x1F ? kChineseTraditional : kChineseSimplified;
    case 0x11: return kJapanese;
    case 0x12: return kKorean;
    case 0x07: return kGerman;
    case 0x0C: return kFrench;
    case 0x0A: return kSpanish;
    default: return kEnglish;
    }
}

unsigned CodePage(int language)
{
    static const unsigned pages[kLanguageCount] = {0, 936, 950, 932, 949, 1252, 1252, 1252};
    return language >= 0 && language < kLanguageCount ? pages[language] : 0;
}

unsigned char Charset(int language)
{
    // GB2312_CHARSET, CHINESEBIG5_CHARSET, SHIFTJIS_CHARSET, HANGUL_CHARSET; ANSI_CHARSET for the rest.
    static const unsigned char sets[kLanguageCount] = {0, 134, 136, 128, 129, 0, 0, 0};
    return language >= 0 && language < kLanguageCount ? sets[language] : 0;
}

const char *Text(int language, const std::string &id)
{
    const Entry *e = Find(id);
    return e && language >= 0 && language < kLanguageCount ? e->text[language] : nullptr;
}

std::vector<std::string> Ids()
{
    std::vector<std::string> ids;
    for (const Entry &e : kEntries) ids.push_back(e.id);
    return ids;
}

std::string Format(const std::string &text, const std::vector<std::string> &args)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' && text[i + 2] == '}') {
            size_t n = size_t(text[i + 1] - '1');
            if (n < args.size()) out += args[n];
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

const char *ErrorText(int language, const std::string &number)
{
    // Any other argument finds no entry, and so the words for one unnamed.
    const char *text = Text(language, "error." + number);
    return text ? text : Text(language, "error.other");
}

std::string Fill(int language, const std::string &text, const std::vector<std::string> &args)
{
    // {E} first, from the table, so that no argument is ever read for it.
    std::string filled = text;
    const char *error = ErrorText(language, args.empty() ? "" : args[0]);
    for (size_t at; (at = filled.find("{E}")) != std::string::npos;) filled.replace(at, 3, error ? error : "");
    return Format(filled, args);
}

std::string Say(int language, const std::string &id, const std::vector<std::string> &args)
{
    const char *text = Text(language, id);
    if (!text) text = Text(language = kEnglish, id);
    return text ? Fill(language, text, args) : "";
}

std::string IdLine(const std::string &id, const std::vector<std::string> &args)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string line = id;
    for (const std::string &a : args) {
        line += ' ';
        if (a.empty()) line += "%00";  // an empty argument still takes its place
        for (unsigned char c : a) {
            if (Plain(c)) {
                line += char(c);
            } else {
                line += '%';
                line += digits[c >> 4];
                line += digits[c & 15];
            }
        }
    }
    return line;
}

bool ParseIdLine(const std::string &line, std::string &id, std::vector<std::string> &args)
{
    id.clear();
    args.clear();
    std::string text = line;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
    size_t end = text.find(' ');
    id = text.substr(0, end);
    if (id.empty()) return false;
    for (char c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.')) return false;
    while (end != std::string::npos && args.size() < 9) {
        size_t start = end + 1;
        end = text.find(' ', start);
        std::string word = text.substr(start, end == std::string::npos ? std::string::npos : end - start), arg;
        if (word == "%00") word.clear();
        for (size_t i = 0; i < word.size(); ++i) {
            if (word[i] == '%' && i + 2 < word.size() && Hex(word[i + 1]) >= 0 && Hex(word[i + 2]) >= 0) {
                arg += char(Hex(word[i + 1]) * 16 + Hex(word[i + 2]));
                i += 2;
            } else {
                arg += word[i];
            }
        }
        args.push_back(arg);
    }
    return true;
}

std::u16string Utf16(const std::string &utf8)
{
    std::u16string out;
    const size_t n = utf8.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = (unsigned char)utf8[i];
        unsigned length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        char32_t cp = length == 1 ? c : length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
        bool ok = length && i + length <= n;
        for (unsigned k = 1; ok && k < length; ++k) {
            unsigned char f = (unsigned char)utf8[i + k];
            ok = (f & 0xC0) == 0x80;
            cp = (cp << 6) | (f & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        static const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && cp >= least[length] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            out += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += char16_t(cp);
        }
        i += length;
    }
    return out;
}

std::string Utf8(const std::u16string &utf16)
{
    std::string out;
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace lang

extern "C" int MorvalithSay(const char *code, const char *id, const char *const *args, int count, char *out, int size)
{
    if (!code || !id || !out || size <= 0) return 0;
    out[0] = 0;
    int language = lang::FromCode(code);
    const char *text = language >= 0 ? lang::Text(language, id) : nullptr;
    if (!text) return 0;
    std::vector<std::string> list;
    for (int i = 0; i < count && args; ++i) list.push_back(args[i] ? args[i] : "");
    std::string said = lang::Fill(language, text, list);
    if (said.size() >= size_t(size)) return 0;
    std::memcpy(out, said.c_str(), said.size() + 1);
    return 1;
}
