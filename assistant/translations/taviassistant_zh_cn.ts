<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>AllCourseListWidget</name>
    <message>
        <source>all course</source>
        <translation>全部课程</translation>
    </message>
    <message>
        <source>Mon</source>
        <translation>周一</translation>
    </message>
    <message>
        <source>Tues</source>
        <translation>周二</translation>
    </message>
    <message>
        <source>Wed</source>
        <translation>周三</translation>
    </message>
    <message>
        <source>Thur</source>
        <translation>周四</translation>
    </message>
    <message>
        <source>Fri</source>
        <translation>周五</translation>
    </message>
    <message>
        <source>Sat</source>
        <translation>周六</translation>
    </message>
    <message>
        <source>Sun</source>
        <translation>周日</translation>
    </message>
    <message>
        <source>today</source>
        <translation>今天</translation>
    </message>
</context>
<context>
    <name>AllCourseWidget</name>
    <message>
        <source>all course</source>
        <translation>全部课程</translation>
    </message>
</context>
<context>
    <name>AppDeletingWorker</name>
    <message>
        <source>app deleting</source>
        <translation>删除资源</translation>
    </message>
    <message>
        <source>unknown error!</source>
        <translation>未知错误！</translation>
    </message>
</context>
<context>
    <name>AppListDialog</name>
    <message>
        <source>The daily scenes %1 play its file and will miss it.</source>
        <translation>一日生活“%1”播放这个资源，删除后将找不到它。</translation>
    </message>
    <message>
        <source>app list</source>
        <translation>资源列表</translation>
    </message>
    <message>
        <source>Confirm Removal</source>
        <translation>确认删除</translation>
    </message>
    <message>
        <source>Do you really want to remove %1?</source>
        <translation>确定要删除“%1”吗？</translation>
    </message>
    <message>
        <source>This pack holds no resources.</source>
        <translation>这个资源包里没有资源。</translation>
    </message>
    <message>
        <source>Nothing found for &quot;%1&quot;. Try a shorter word, or the initials of its pinyin.</source>
        <translation>没有找到“%1”。换个短一点的词，或输入拼音首字母试试（如 xhm 找“小黑猫”）。</translation>
    </message>
    <message>
        <source>Search &quot;%1&quot;: %2 found</source>
        <translation>搜索“%1”：找到 %2 个资源</translation>
    </message>
    <message>
        <source>%1: %2 resources</source>
        <translation>%1：共 %2 个资源</translation>
    </message>
    <message>
        <source>%1 resources</source>
        <translation>共 %1 个资源</translation>
    </message>
</context>
<context>
    <name>CheckUpdateWorker</name>
    <message>
        <source>update</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>query update info failed!</source>
        <translation>查询更新信息失败！</translation>
    </message>
    <message>
        <source>unknown error!</source>
        <translation>未知错误！</translation>
    </message>
</context>
<context>
    <name>ContentPage</name>
    <message>
        <source>content</source>
        <translation>内容</translation>
    </message>
    <message>
        <source>home</source>
        <translation>返回首页</translation>
    </message>
    <message>
        <source>daily</source>
        <translation>一日生活</translation>
    </message>
    <message>
        <source>favor</source>
        <translation>我的收藏</translation>
    </message>
</context>
<context>
    <name>CourseForm</name>
    <message>
        <source>course</source>
        <translation>课程安排</translation>
    </message>
    <message>
        <source>switch to all</source>
        <translation>查看全部课程</translation>
    </message>
    <message>
        <source>switch to today</source>
        <translation>查看今日课程</translation>
    </message>
</context>
<context>
    <name>CustomPackAddDialog</name>
    <message>
        <source>Add Custom Pack</source>
        <translation>自制资源包</translation>
    </message>
    <message>
        <source>pack name</source>
        <translation>资源包名称</translation>
    </message>
    <message>
        <source>add file</source>
        <translation>添加文件</translation>
    </message>
    <message>
        <source>select</source>
        <translation>选择</translation>
    </message>
    <message>
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Select file</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <source>add pack</source>
        <translation>自制资源包</translation>
    </message>
    <message>
        <source>pack name is null!</source>
        <translation>请填写资源包名称！</translation>
    </message>
    <message>
        <source>The pack name can not be used: it may not contain &quot;/&quot; or &quot;\&quot;, begin with &quot;.&quot; or hold control characters.</source>
        <translation>这个名称不能用作资源包名：不能包含“/”或“\”，不能以“.”开头，也不能含有控制字符。</translation>
    </message>
    <message>
        <source>Select a file and press Delete to leave it out.</source>
        <translation>选中文件后按 Delete 键即可去掉它。</translation>
    </message>
</context>
<context>
    <name>CustomPackAddWorker</name>
    <message>
        <source>unknown error!</source>
        <translation>未知错误！</translation>
    </message>
    <message>
        <source>add pack failed!</source>
        <translation>添加资源包失败！</translation>
    </message>
</context>
<context>
    <name>DailyListWidget</name>
    <message>
        <source>daily list</source>
        <translation>一日生活列表</translation>
    </message>
    <message>
        <source>Confirm Removal</source>
        <translation>确认删除</translation>
    </message>
    <message>
        <source>Do you really want to remove %1?</source>
        <translation>确定要删除场景“%1”吗？</translation>
    </message>
    <message>
        <source>play scene</source>
        <translation>播放情景</translation>
    </message>
    <message>
        <source>The playlist of &quot;%1&quot; can not be found. Edit the scene to choose its files again.</source>
        <translation>找不到“%1”的播放列表。请编辑这个情景，重新选择文件。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; has no files yet. Edit the scene to add songs or videos.</source>
        <translation>“%1”里还没有文件。请编辑这个情景，添加歌曲或视频。</translation>
    </message>
    <message>
        <source>None of the files of &quot;%1&quot; can be found any more:
%2</source>
        <translation>“%1”的文件都找不到了：
%2</translation>
    </message>
    <message>
        <source>These files of &quot;%1&quot; can not be found; the others are played:
%2</source>
        <translation>“%1”中这些文件找不到了，其余的照常播放：
%2</translation>
    </message>
    <message>
        <source>No daily scenes yet.
Tap the large + to put together the songs and videos of a moment of the day: the morning exercise, the nap, going home.</source>
        <translation>还没有一日生活场景。
点左边的大“+”，把早操、午睡、离园等时段要放的歌和视频排成一个场景。</translation>
    </message>
</context>
<context>
    <name>DailySceneListItemDelegate</name>
    <message>
        <source>add</source>
        <translation>添加</translation>
    </message>
</context>
<context>
    <name>DailySceneListModel</name>
    <message>
        <source>%1: its playlist is missing</source>
        <translation>%1：播放列表不见了</translation>
    </message>
    <message>
        <source>%1: %2 of its files can not be found</source>
        <translation>%1：有 %2 个文件找不到了</translation>
    </message>
</context>
<context>
    <name>DailySceneMgmtDialog</name>
    <message>
        <source>Add Scene</source>
        <translation>添加场景</translation>
    </message>
    <message>
        <source>name:</source>
        <translation>名称：</translation>
    </message>
    <message>
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>modify scene</source>
        <translation>修改场景</translation>
    </message>
    <message>
        <source>Select media file</source>
        <translation>选择媒体文件</translation>
    </message>
    <message>
        <source>Media Files(*.avi *.mp3 *.mp4 *.mkv *.wmv)</source>
        <translation>媒体文件(*.avi *.mp3 *.mp4 *.mkv *.wmv)</translation>
    </message>
    <message>
        <source>add scene</source>
        <translation>添加场景</translation>
    </message>
    <message>
        <source>edit scene</source>
        <translation>编辑场景</translation>
    </message>
    <message>
        <source>scene name is null!</source>
        <translation>请填写场景名称！</translation>
    </message>
    <message>
        <source>write db failed!</source>
        <translation>保存失败，请重试！</translation>
    </message>
    <message>
        <source>add a file</source>
        <translation>添加文件</translation>
    </message>
    <message>
        <source>add songs and videos of the library</source>
        <translation>从资源库添加歌曲和视频</translation>
    </message>
    <message>
        <source>remove</source>
        <translation>移除</translation>
    </message>
    <message>
        <source>up</source>
        <translation>上移</translation>
    </message>
    <message>
        <source>down</source>
        <translation>下移</translation>
    </message>
    <message>
        <source>This file can not be found.</source>
        <translation>找不到这个文件。</translation>
    </message>
    <message>
        <source>Media Files(*.avi *.mp3 *.mp4 *.mkv *.wmv *.ogg *.flac *.wav *.m4a *.webm *.mov)</source>
        <translation>媒体文件(*.avi *.mp3 *.mp4 *.mkv *.wmv *.ogg *.flac *.wav *.m4a *.webm *.mov)</translation>
    </message>
    <message>
        <source>The scene name can not be used: it may not contain &quot;/&quot; or &quot;\&quot;, begin with &quot;.&quot; or hold control characters.</source>
        <translation>这个名称不能用作情景名：不能包含“/”或“\”，不能以“.”开头，也不能含有控制字符。</translation>
    </message>
    <message>
        <source>A scene named &quot;%1&quot; exists already. Choose another name.</source>
        <translation>已经有名为“%1”的情景了，请换一个名字。</translation>
    </message>
    <message>
        <source>The playlist could not be written, nothing was saved:
%1</source>
        <translation>播放列表无法写入，没有保存任何内容：
%1</translation>
    </message>
</context>
<context>
    <name>DayCourseListWidget</name>
    <message>
        <source>day course list</source>
        <translation>当天课程</translation>
    </message>
    <message>
        <source>Confirm Removal</source>
        <translation>确认移出课程</translation>
    </message>
    <message>
        <source>Do you really want to remove %1?</source>
        <translation>确定要把“%1”移出当天的课程吗？</translation>
    </message>
    <message>
        <source>Nothing planned for this day. Tap &quot;+&quot; on a resource to plan it here.</source>
        <translation>这一天还没有安排。点资源上的“+”，把它安排到这里。</translation>
    </message>
</context>
<context>
    <name>DownloadUpdateDialog</name>
    <message>
        <source>Download update</source>
        <translation>下载更新</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>empty path!</source>
        <translation>下载路径为空！</translation>
    </message>
    <message>
        <source>open file failed!</source>
        <translation>无法创建下载文件！</translation>
    </message>
    <message>
        <source>download file failed!</source>
        <translation>下载失败！</translation>
    </message>
</context>
<context>
    <name>FavorListWidget</name>
    <message>
        <source>favor list</source>
        <translation>收藏列表</translation>
    </message>
    <message>
        <source>Confirm Removal</source>
        <translation>确认取消收藏</translation>
    </message>
    <message>
        <source>Do you really want to unfavor %1?</source>
        <translation>确定要取消收藏“%1”吗？</translation>
    </message>
    <message>
        <source>No favourites yet. Tap the heart on a resource to find it here.</source>
        <translation>还没有收藏。点一下资源上的小红心，它就会出现在这里。</translation>
    </message>
</context>
<context>
    <name>IndexPage</name>
    <message>
        <source>index</source>
        <translation>首页</translation>
    </message>
    <message>
        <source>daily</source>
        <translation>一日生活</translation>
    </message>
    <message>
        <source>course</source>
        <translation>课程安排</translation>
    </message>
    <message>
        <source>pack</source>
        <translation>资源包</translation>
    </message>
    <message>
        <source>favor</source>
        <translation>我的收藏</translation>
    </message>
    <message>
        <source>mgmt</source>
        <translation>个人中心</translation>
    </message>
</context>
<context>
    <name>MainFrame</name>
    <message>
        <source>&quot;%1&quot; could not be played: the player stopped at once.
Check that the speakers are connected, then try again.</source>
        <translation>“%1”无法播放：播放器一打开就停止了。
请检查音箱是否接好，然后再试一次。</translation>
    </message>
    <message>
        <source>Playing..., close the player first</source>
        <translation>正在播放…，请先关闭播放器</translation>
    </message>
    <message>
        <source>TAVINET</source>
        <translation>TAVINET 幼教资源助手</translation>
    </message>
    <message>
        <source>enter school name</source>
        <translation>点击填写幼儿园名称</translation>
    </message>
    <message>
        <source>search apps</source>
        <translation>搜索资源</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Do you really want to exit?</source>
        <translation>确定要退出吗？</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>选择头像图片</translation>
    </message>
    <message>
        <source>Image Files(*.jpg *.png)</source>
        <translation>图片文件(*.jpg *.png)</translation>
    </message>
    <message>
        <source>open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>No program on this computer can open &quot;%1&quot;.
Install a media player (for example VLC) or a program for this kind of file, then try again.</source>
        <translation>这台电脑上没有能打开“%1”的程序。
请安装一个播放器（例如 VLC）或能打开这类文件的程序，然后再试一次。</translation>
    </message>
    <message>
        <source>import</source>
        <translation>导入</translation>
    </message>
    <message>
        <source>These pack files were not imported; open them again when the client is free:
%1</source>
        <translation>以下资源包没有导入，请在助手空闲时重新打开：
%1</translation>
    </message>
</context>
<context>
    <name>MediaPickerDialog</name>
    <message>
        <source>Songs and videos of the library</source>
        <translation>资源库里的歌曲和视频</translation>
    </message>
    <message>
        <source>search songs and videos</source>
        <translation>搜索歌曲和视频</translation>
    </message>
    <message>
        <source>add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>MgmtForm</name>
    <message>
        <source>Invalid update package signature, not installed</source>
        <translation>更新包签名无效，未安装</translation>
    </message>
    <message>
        <source>No program on this computer opens the installer.
It is saved as:
%1</source>
        <translation>这台电脑上没有能打开安装程序的软件。
安装程序已保存在：
%1</translation>
    </message>
    <message>
        <source>loading schools...</source>
        <translation>正在加载幼儿园……</translation>
    </message>
    <message>
        <source>mgmt</source>
        <translation>个人中心</translation>
    </message>
    <message>
        <source>province</source>
        <translation>省份</translation>
    </message>
    <message>
        <source>city</source>
        <translation>城市</translation>
    </message>
    <message>
        <source>version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>Registers the profile, or edits and saves it</source>
        <translation>注册个人资料，或修改并保存</translation>
    </message>
    <message>
        <source>Looks for a newer version of the client</source>
        <translation>检查是否有新版本</translation>
    </message>
    <message>
        <source>user info</source>
        <translation>用户信息</translation>
    </message>
    <message>
        <source>imei</source>
        <translation>设备号</translation>
    </message>
    <message>
        <source>id</source>
        <translation>用户编号</translation>
    </message>
    <message>
        <source>name</source>
        <translation>姓名</translation>
    </message>
    <message>
        <source>qq</source>
        <translation>QQ</translation>
    </message>
    <message>
        <source>school</source>
        <translation>幼儿园</translation>
    </message>
    <message>
        <source>other</source>
        <translation>其他</translation>
    </message>
    <message>
        <source>enter your school name</source>
        <translation>请输入幼儿园名称</translation>
    </message>
    <message>
        <source>mobile</source>
        <translation>手机</translation>
    </message>
    <message>
        <source>register</source>
        <translation>注册</translation>
    </message>
    <message>
        <source>edit</source>
        <translation>编辑</translation>
    </message>
    <message>
        <source>save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>more...</source>
        <translation>更多资讯，欢迎关注我们：</translation>
    </message>
    <message>
        <source>QQ Group</source>
        <translation>QQ群</translation>
    </message>
    <message>
        <source>Wechat Account</source>
        <translation>微信公众号</translation>
    </message>
    <message>
        <source>update</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>tavinet assistant</source>
        <translation>TAVINET 幼教资源助手</translation>
    </message>
    <message>
        <source>edit profile</source>
        <translation>编辑资料</translation>
    </message>
    <message>
        <source>name is null!</source>
        <translation>请填写姓名！</translation>
    </message>
    <message>
        <source>qq is null!</source>
        <translation>请填写QQ号！</translation>
    </message>
    <message>
        <source>school name is null!</source>
        <translation>请填写幼儿园名称！</translation>
    </message>
    <message>
        <source>mobile is null!</source>
        <translation>请填写手机号！</translation>
    </message>
    <message>
        <source>taviclient</source>
        <translation>TAVINET</translation>
    </message>
    <message>
        <source>update user info failed!</source>
        <translation>用户信息更新失败！</translation>
    </message>
    <message>
        <source>update user info success!</source>
        <translation>用户信息已更新！</translation>
    </message>
    <message>
        <source>your are offline!</source>
        <translation>当前没有网络连接！</translation>
    </message>
    <message>
        <source>Current version is %1, the latest version!</source>
        <translation>当前版本 %1 已是最新版本！</translation>
    </message>
    <message>
        <source>Status mismatch!</source>
        <translation>服务器返回的状态无法识别！</translation>
    </message>
    <message>
        <source>Server return empty path!</source>
        <translation>服务器没有返回下载地址！</translation>
    </message>
    <message>
        <source>New version %1 available!</source>
        <translation>发现新版本 %1！</translation>
    </message>
    <message>
        <source>info:%1</source>
        <translation>更新内容：%1</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>立即升级</translation>
    </message>
    <message>
        <source>Update later</source>
        <translation>以后再说</translation>
    </message>
    <message>
        <source>create install process failed!</source>
        <translation>无法启动安装程序！</translation>
    </message>
</context>
<context>
    <name>MobileRegisterQRDialog</name>
    <message>
        <source>register</source>
        <translation>注册</translation>
    </message>
    <message>
        <source>scan qr to register</source>
        <translation>用手机扫一扫，完成注册</translation>
    </message>
</context>
<context>
    <name>PackDeletingWorker</name>
    <message>
        <source>pack deleting</source>
        <translation>删除资源包</translation>
    </message>
    <message>
        <source>unknown error!</source>
        <translation>未知错误！</translation>
    </message>
</context>
<context>
    <name>PackForm</name>
    <message>
        <source>Imported: %1, %2 resources</source>
        <translation>已导入：%1，%2 个资源</translation>
    </message>
    <message>
        <source>pack</source>
        <translation>资源包</translation>
    </message>
    <message>
        <source>Select tavi pack</source>
        <translation>选择资源包文件</translation>
    </message>
    <message>
        <source>Pack Files(*.tvp)</source>
        <translation>资源包文件(*.tvp)</translation>
    </message>
    <message>
        <source>import</source>
        <translation>导入</translation>
    </message>
    <message>
        <source>Some files of the pack are damaged and were left out:
%1</source>
        <translation>资源包中有些文件已损坏，没有导入：
%1</translation>
    </message>
    <message>
        <source>These resources already belong to another pack and were left out:
%1</source>
        <translation>这些资源已属于另一个资源包，未导入：
%1</translation>
    </message>
    <message>
        <source>%1: not found</source>
        <translation>%1：找不到文件</translation>
    </message>
    <message>
        <source>The pack file &quot;%1&quot; was not found.</source>
        <translation>找不到资源包文件“%1”。</translation>
    </message>
</context>
<context>
    <name>PackImportWorker</name>
    <message>
        <source>import</source>
        <translation>导入资源包</translation>
    </message>
    <message>
        <source>can not find db file!</source>
        <translation>资源包里找不到数据文件！</translation>
    </message>
    <message>
        <source>open db failed!</source>
        <translation>无法打开资源包数据！</translation>
    </message>
    <message>
        <source>exec db query failed!</source>
        <translation>读取资源包数据失败！</translation>
    </message>
    <message>
        <source>query pack failed!</source>
        <translation>查询资源包失败！</translation>
    </message>
    <message>
        <source>add pack failed!</source>
        <translation>添加资源包失败！</translation>
    </message>
    <message>
        <source>please update client first!</source>
        <translation>请先升级客户端！</translation>
    </message>
    <message>
        <source>unknown error!</source>
        <translation>未知错误！</translation>
    </message>
    <message>
        <source>The import was cancelled; nothing was changed.</source>
        <translation>导入已取消，没有做任何改动。</translation>
    </message>
    <message>
        <source>The pack is damaged (%1); nothing was imported. Copy it again from where it came from.</source>
        <translation>资源包已损坏（%1），没有导入任何内容。请从原处重新复制一份。</translation>
    </message>
    <message>
        <source>Unpacking %1 %</source>
        <translation>正在解压 %1 %</translation>
    </message>
    <message>
        <source>Checking the files: %1 of %2</source>
        <translation>正在检查文件：%1 / %2</translation>
    </message>
    <message>
        <source>Moving files and cataloguing: %1 of %2</source>
        <translation>正在移动文件并登记：%1 / %2</translation>
    </message>
    <message>
        <source>%1: imported with %2 resources, replacing an older copy</source>
        <translation>%1：已导入，共 %2 个资源，替换了旧版本</translation>
    </message>
    <message>
        <source>%1: imported with %2 resources</source>
        <translation>%1：已导入，共 %2 个资源</translation>
    </message>
    <message>
        <source>; damaged, left out: %1</source>
        <translation>；已损坏、未导入：%1</translation>
    </message>
    <message>
        <source>%1: skipped: needs a newer client</source>
        <translation>%1：已跳过：需要更新版本的客户端</translation>
    </message>
    <message>
        <source>%1: skipped: not a pack</source>
        <translation>%1：已跳过：不是资源包</translation>
    </message>
    <message>
        <source>%1: damaged: %2</source>
        <translation>%1：已损坏：%2</translation>
    </message>
    <message>
        <source>%1: cancelled</source>
        <translation>%1：已取消</translation>
    </message>
    <message>
        <source>%1: not imported: %2</source>
        <translation>%1：未导入：%2</translation>
    </message>
    <message>
        <source>; already in another pack, left out: %1</source>
        <translation>；已在另一个资源包中，未导入：%1</translation>
    </message>
</context>
<context>
    <name>PackListWidget</name>
    <message>
        <source>The daily scenes %1 play its files and will miss them.</source>
        <translation>一日生活“%1”播放这个资源包里的文件，删除后它们将找不到这些文件。</translation>
    </message>
    <message>
        <source>pack list</source>
        <translation>资源包列表</translation>
    </message>
    <message>
        <source>Confirm Removal</source>
        <translation>确认删除</translation>
    </message>
    <message>
        <source>Do you really want to remove %1?</source>
        <translation>确定要删除资源包“%1”吗？</translation>
    </message>
    <message>
        <source>No packs yet. Import a pack file or make a pack of your own files.</source>
        <translation>还没有资源包。导入一个资源包文件，或者用自己的文件制作一个吧。</translation>
    </message>
</context>
<context>
    <name>ProcessingDialog</name>
    <message>
        <source>Processing</source>
        <translation>正在处理</translation>
    </message>
    <message>
        <source>cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Cancelling...</source>
        <translation>正在取消……</translation>
    </message>
</context>
<context>
    <name>QRTablet</name>
    <message>
        <source>QRTablet</source>
        <translation>二维码</translation>
    </message>
</context>
<context>
    <name>SelectCourseDayDialog</name>
    <message>
        <source>select</source>
        <translation>选择上课日期</translation>
    </message>
</context>
<context>
    <name>StoreDialog</name>
    <message>
        <source>store</source>
        <translation>资源商店</translation>
    </message>
    <message>
        <source>visit store</source>
        <translation>进入资源商店</translation>
    </message>
    <message>
        <source>visit %1</source>
        <translation>访问 %1</translation>
    </message>
    <message>
        <source>scan qr to visit store.</source>
        <translation>手机扫一扫，进入资源商店</translation>
    </message>
</context>
<context>
    <name>TodayCourseWidget</name>
    <message>
        <source>today course</source>
        <translation>今日课程</translation>
    </message>
    <message>
        <source>today</source>
        <translation>今天</translation>
    </message>
</context>
<context>
    <name>Worker</name>
    <message>
        <source>unknown error!</source>
        <translation>未知错误！</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>The teaching-resource library is open in another account on this computer.
Close the client there first, then start it again.</source>
        <translation>这台电脑的另一个账户正在使用教学资源库。
请先在那里关闭客户端，再重新启动。</translation>
    </message>
    <message>
        <source>TAVINET assistant</source>
        <translation>TAVINET 幼教资源助手</translation>
    </message>
</context>
</TS>
