// Texts of the main window, character for character as the program shows them.
#pragma once

namespace app::text {

inline constexpr wchar_t kTitle[] = L"星尘 文件加密";
inline constexpr wchar_t kPrimarySuffix[] = L" (主程序)";
inline constexpr wchar_t kSecondarySuffix[] = L" (副程序)";
inline constexpr wchar_t kNoticeCaption[] = L"星尘 文件加密(当此提示窗体后置(线程运行造成),请点桌面再点回此程序窗体)";
inline constexpr wchar_t kAboutCaption[] = L"   星尘 文件加密";
inline constexpr wchar_t kAboutText[] =
    L"星尘 文件(压缩)加密软件\r\n版本: " XCJM_VERSION "\r\n\r\n"
    L"保存密钥(压缩)加密、解密任意文件；多个文件同时处理，每个文件一个窗体。";
inline constexpr wchar_t kSlogan[] = L" 星尘 文件加密: 您的文件，只有您的密钥能打开。";

// The maker's two web sites (host names; the labels show them).
inline constexpr wchar_t kFirstSite[] = L"xc.test";
inline constexpr wchar_t kSecondSite[] = L"xcjm.test";

// Hints.
inline constexpr wchar_t kPanel1Hint[] = L"鼠标右键单击显示菜单...,鼠标左键双击改变窗体颜色";
inline constexpr wchar_t kLabel3Hint[] = L"鼠标单击显示菜单...鼠标左键双击改变星尘颜色";
inline constexpr wchar_t kSiteRightHint[] = L"鼠标左键单击打开网址...,鼠标左键双击还原窗体颜色";
inline constexpr wchar_t kButton1Hint[] = L"选择任意文件进行保存密钥(压缩)加密，无密码就只压缩不加密...";
inline constexpr wchar_t kSfHint[] = L"窗体缩放";
inline constexpr wchar_t kButton2Hint[] =
    L"选择任意本软件保存密钥加密过的文件进行解密(解压缩)或者只压缩过的进行解压缩...";
inline constexpr wchar_t kProgressBar1Hint[] = L"进度条";
inline constexpr wchar_t kRgyslHint[] =
    L"直接压缩或者保存密钥加密文件时用的,不保存密钥加密或者解密时不需要选择";
inline constexpr wchar_t kCheckBox1Hint[] = L"勾选时密钥编辑框右键菜单可以粘贴剪贴板里(剪切或者复制)的文本内容...";
inline constexpr wchar_t kPbmyHint[] = L"屏蔽密钥编辑框里的内容...";
inline constexpr wchar_t kCheckBox2Hint[] =
    L"勾选时拖放文件到窗体可进行MD5效验，效验文件时取消勾选可取消效验文件MD5";
inline constexpr wchar_t kButton6Hint[] = L"创建包含自解密程序的已加密文件(创建不需要输入密钥)";
inline constexpr wchar_t kButton8Hint[] = L"此加解密程序与自身包含的已加密文件分离(不需要输入密钥)";
inline constexpr wchar_t kButton7Hint[] = L"解密此程序自身包含的已加密文件...";
inline constexpr wchar_t kComboBox1Hint[] = L" 鼠标右键单击展示菜单";
inline constexpr wchar_t kStatusBar1Hint[] = L"鼠标左键双击展示提示窗体...";
inline constexpr wchar_t kStatusPanelStart[] =
    L" 请先输入/载入(或者粘贴)加密或者解密的密钥,再进行加密/解密文件的操作...";

// Captions.
inline constexpr wchar_t kLabel2[] = L"请先输入加密的密钥：";
// Label2 while encryption writes the authenticated container.
inline constexpr wchar_t kLabel2Aead[] = L"认证加密的密钥：";
// PopupMenu1's check item.
inline constexpr wchar_t kAeadItem[] = L"加密时使用认证加密(Argon2id + ChaCha20-Poly1305)";
inline constexpr wchar_t kLabel1[] = L"请先输入解密的密钥：";
inline constexpr wchar_t kRgysl[] = L"文件压缩率";
inline constexpr const wchar_t* kRgyslItems[4] = {L"不压缩", L"快速压缩", L"正常压缩", L"更大压缩"};
inline constexpr wchar_t kCheckBox1[] = L"粘贴密钥";
inline constexpr wchar_t kPbmy[] = L"屏蔽密钥";
inline constexpr wchar_t kCheckBox2[] = L"MD5效验";

// Dialogs of the batches.
inline constexpr wchar_t kAllFilesFilter[] = L"全部文件(*.*)|*.*";
inline constexpr wchar_t kEncryptTitle[] = L"选择要加密的文件进行加密(可多选):";
inline constexpr wchar_t kDecryptFilter[] = L"jmz文件(*.jmz)|*.jmz|zak文件(*.zak)|*.zak|全部文件(*.*)|*.*";
inline constexpr wchar_t kDecryptTitle[] = L"选择要解密的文件进行解密(可多选):";
inline constexpr wchar_t kNoKeyEncryptTitle[] = L"选择文件进行不保存密钥加密(可多选):";
inline constexpr wchar_t kNoKeyDecryptFilter[] = L"jmz加密文件(*.jmz)|*.jmz|全部文件(*.*)|*.*";
inline constexpr wchar_t kNoKeyDecryptTitle[] = L"选择(不保存密钥加密的)文件进行解密(可多选)";
inline constexpr wchar_t kKeyFileFilter[] = L"TXT文件(*.txt)|*.txt|全部文件(*.*)|*.*";
inline constexpr wchar_t kLoadKeyTitle[] = L"选择要载入为密钥的文件...";
// A key file whose bytes are no GBK text; the file's path follows.
inline constexpr wchar_t kKeyFileNotGbk[] =
    L"载入密钥已取消:文件里有不能用GBK编码表示为文字的字节(不是GBK文本)，密钥编辑框里仍是原来的密钥:";
inline constexpr wchar_t kSaveKeyTitle[] = L"密钥保存为文件...";

// Questions.
inline constexpr wchar_t kCloseCaptionPrefix[] = L" 关闭: ";
inline constexpr wchar_t kCloseAllQuestion[] = L"真的要关闭本程序吗？本程序是主程序，会同时关闭全部副程序。";
inline constexpr wchar_t kCloseJobsQuestion[] = L"真的要关闭本程序吗？正在运行的操作会被取消。";

// Hidden commands.
inline constexpr wchar_t kNoKeyEncrypt[] = L"创建不保存密钥的加密文件";
inline constexpr wchar_t kNoKeyDecrypt[] = L"解密不保存密钥的加密文件";
inline constexpr wchar_t kNoKeyCancelEncrypt[] = L"取消加密";
inline constexpr wchar_t kNoKeyCancelDecrypt[] = L"取消解密";

// Dispatch errors (followed by the current file).
inline constexpr char kEncryptDispatchError[] = "加密文件出错!已停止:可能要加密的文件正在被使用读写等:";
inline constexpr char kDecryptDispatchError[] = "解密文件出错!已停止:可能文件正在被使用读写等:";
inline constexpr char kSfxDispatchError[] = "创建自解密文件出错!已停止:可能要要创建自解密的文件正在被使用读写等:";

// A key with a character that GBK cannot write.
inline constexpr char kEncryptKeyNotGbk[] =
    "加密密钥里有不能用GBK编码表示的字符(不能作为密钥)，请修改加密的密钥。加密文件已取消。";
inline constexpr char kReencryptKeyNotGbk[] =
    "解密密钥里有不能用GBK编码表示的字符(不能作为密钥)，请修改解密的密钥。加密文件已取消。";
inline constexpr char kDecryptKeyNotGbk[] =
    "解密密钥里有不能用GBK编码表示的字符(不能作为密钥)，请修改解密的密钥。解密文件已取消。";

}  // namespace app::text
