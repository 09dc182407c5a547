<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AppDirs</name>
    <message>
        <source>无法使用临时文件夹：</source>
        <translation>Cannot use the temporary folder: </translation>
    </message>
</context>
<context>
    <name>BatchCommandLine</name>
    <message>
        <source>整轨文件不按 CUE 表分轨，整个转换</source>
        <translation>convert album images whole, not split by their cue sheet</translation>
    </message>
    <message>
        <source>CUE 表的编码（如 GBK、Big5、Shift_JIS），不自动识别</source>
        <translation>the cue sheets' encoding (GBK, Big5, Shift_JIS, ...) instead of recognising it</translation>
    </message>
    <message>
        <source>、</source>
        <extracomment>between the format names</extracomment>
        <translation>, </translation>
    </message>
    <message>
        <source>
退出状态：0 全部文件转换成功；1 有文件转换失败，或转换工具、文件夹无法使用；2 用法错误。
</source>
        <translation>
Exit status: 0 every file converted; 1 some file failed, or a tool or folder could not be used; 2 usage error.
</translation>
    </message>
    <message>
        <source>
用 GNU parallel 在多台机器上每次转换一个专辑文件夹，再预览删除：
  find /srv/music -mindepth 1 -maxdepth 1 -type d |
      parallel --will-cite --sshlogin 2/:,2/alice@host1,2/alice@host2 tunoxa-batch -L -o /srv/mp3/music {}
  tunoxa-batch -L --delete -n -o /srv/mp3 /srv/music
</source>
        <extracomment>the first line is words; the commands below it stay as they are</extracomment>
        <translation>
With GNU parallel, one album folder at a time on several machines, then a preview of the deletions:
  find /srv/music -mindepth 1 -maxdepth 1 -type d |
      parallel --will-cite --sshlogin 2/:,2/alice@host1,2/alice@host2 tunoxa-batch -L -o /srv/mp3/music {}
  tunoxa-batch -L --delete -n -o /srv/mp3 /srv/music
</translation>
    </message>
    <message>
        <source>输出格式：%1（默认 %2）</source>
        <translation>output format: %1 (default %2)</translation>
    </message>
    <message>
        <source>音频比特率</source>
        <translation>audio bitrate</translation>
    </message>
    <message>
        <source>采样率</source>
        <translation>sample rate</translation>
    </message>
    <message>
        <source>声道：1 单声道，2 双声道</source>
        <translation>channels: 1 mono, 2 stereo</translation>
    </message>
    <message>
        <source>视频比特率</source>
        <translation>video bitrate</translation>
    </message>
    <message>
        <source>画面大小，或 original（原始大小）</source>
        <translation>picture size, or original (the source&apos;s size)</translation>
    </message>
    <message>
        <source>帧率</source>
        <translation>frame rate</translation>
    </message>
    <message>
        <source>输出文件夹（默认当前文件夹）</source>
        <translation>output folder (default: the current folder)</translation>
    </message>
    <message>
        <source>只列出 -L 将转换、替换、更新标签、移动、跳过和删除的文件，不写任何文件</source>
        <translation>only list what -L would convert, replace, retag, move, skip and delete; write nothing</translation>
    </message>
    <message>
        <source>显示本说明</source>
        <translation>show this help</translation>
    </message>
    <message>
        <source>显示版本</source>
        <translation>show the version</translation>
    </message>
    <message>
        <source>与 -L 一起：</source>
        <translation>with -L: </translation>
    </message>
    <message>
        <source>用法：%1
不用窗口转换文件：FILE 直接加入列表，FOLDER 及其子文件夹中的 FLAC 文件按名称顺序加入。
整轨文件（一个 FLAC 加一个 CUE 表）分成各音轨，每轨一个输出；FILE 也可以是 CUE 表。

</source>
        <extracomment>%1 is the command with its options, which stay as they are</extracomment>
        <translation>Usage: %1
Converts files without a window: each FILE as it is named, the FLAC files of each FOLDER and its subfolders in name order.
An album image (one FLAC with a cue sheet) is split into its tracks, one output each; a FILE may be the cue sheet.

</translation>
    </message>
    <message>
        <source>长选项的取值也可以用 = 连接，如 --output=FOLDER；单字母选项可以合写，如 -Lnj2。

未给出的设置取所选格式的默认值：
</source>
        <extracomment>the options stay as they are</extracomment>
        <translation>A long option also takes its value after =, as in --output=FOLDER; one-letter options can be joined, as in -Lnj2.

Settings not given take the chosen format&apos;s defaults:
</translation>
    </message>
    <message>
        <source>同时转换的文件数（默认 %1），最多 %2（处理器核数）</source>
        <translation>files converted at once (default %1), at most %2 (processor cores)</translation>
    </message>
    <message>
        <source>音乐库模式：保留文件夹结构和封面，文件名不加时间，跳过已转换的文件</source>
        <translation>library mode: keep folders and covers, plain names, skip converted files</translation>
    </message>
    <message>
        <source>删除来源已不在的输出文件</source>
        <translation>delete the outputs whose source is gone</translation>
    </message>
    <message>
        <source>封面最大边长，更大的封面缩小（默认 %1，0 为不限）</source>
        <translation>the longest edge of a cover; larger ones are scaled down (default %1, 0: any)</translation>
    </message>
    <message>
        <source>文件名保留 FAT 不能存的字符（默认改为&quot;_&quot;）</source>
        <translation>keep the characters FAT cannot store in names (by default they become &quot;_&quot;)</translation>
    </message>
</context>
<context>
    <name>BatchTexts</name>
    <message>
        <source>完成：</source>
        <translation>Done: </translation>
    </message>
    <message>
        <source>跳过：</source>
        <translation>Skipped: </translation>
    </message>
    <message>
        <source>（已是最新）</source>
        <translation> (up to date)</translation>
    </message>
    <message>
        <source>将替换：</source>
        <translation>Would replace: </translation>
    </message>
    <message>
        <source>将转换：</source>
        <translation>Would convert: </translation>
    </message>
    <message>
        <source>失败：</source>
        <translation>Failed: </translation>
    </message>
    <message>
        <source>：</source>
        <extracomment>after the title of the failures listed at the end</extracomment>
        <translation>:</translation>
    </message>
    <message>
        <source>未知选项：</source>
        <translation>Unknown option: </translation>
    </message>
    <message>
        <source>选项 %1 缺少取值</source>
        <translation>Option %1 needs a value</translation>
    </message>
    <message>
        <source>选项 %1 的取值无效：%2</source>
        <translation>Option %1 has an invalid value: %2</translation>
    </message>
    <message>
        <source>选项 %1 不带取值</source>
        <translation>Option %1 takes no value</translation>
    </message>
    <message>
        <source>没有给出要转换的文件或文件夹</source>
        <translation>No file or folder to convert was given</translation>
    </message>
    <message>
        <source>将更新标签：</source>
        <translation>Would retag: </translation>
    </message>
    <message>
        <source>更新标签：</source>
        <translation>Retagged: </translation>
    </message>
    <message>
        <source>将移动：</source>
        <translation>Would move: </translation>
    </message>
    <message>
        <source>移动：</source>
        <translation>Moved: </translation>
    </message>
    <message>
        <source>将删除：</source>
        <translation>Would delete: </translation>
    </message>
    <message>
        <source>删除：</source>
        <translation>Deleted: </translation>
    </message>
    <message>
        <source>将转换 %1</source>
        <translation>Would convert %1</translation>
    </message>
    <message>
        <source>完成 %1</source>
        <translation>Done %1</translation>
    </message>
    <message>
        <source>更新标签 %1</source>
        <translation>retagged %1</translation>
    </message>
    <message>
        <source>移动 %1</source>
        <translation>moved %1</translation>
    </message>
    <message>
        <source>跳过 %1</source>
        <translation>skipped %1</translation>
    </message>
    <message>
        <source>删除 %1</source>
        <translation>deleted %1</translation>
    </message>
    <message>
        <source>失败 %1</source>
        <translation>failed %1</translation>
    </message>
    <message>
        <source>，</source>
        <extracomment>between the counts of the closing line</extracomment>
        <translation>, </translation>
    </message>
    <message>
        <source>选项 %1 只能与 -L 一起使用</source>
        <translation>Option %1 works only with -L</translation>
    </message>
    <message>
        <source>（另一进程正在转换）</source>
        <translation> (another process converts it)</translation>
    </message>
    <message>
        <source>注意：</source>
        <translation>Note: </translation>
    </message>
</context>
<context>
    <name>CueSheet</name>
    <message>
        <source>没有音轨</source>
        <translation>No tracks</translation>
    </message>
    <message>
        <source>时间超出文件长度</source>
        <translation>Index past the end of the file</translation>
    </message>
    <message>
        <source>时间顺序错误</source>
        <translation>Indexes out of order</translation>
    </message>
    <message>
        <source>缺少 INDEX 01</source>
        <translation>No INDEX 01</translation>
    </message>
    <message>
        <source>时间格式错误</source>
        <translation>Malformed time</translation>
    </message>
    <message>
        <source>指向的文件不存在</source>
        <translation>Names a missing file</translation>
    </message>
    <message>
        <source>无法识别 CUE 表的编码</source>
        <translation>Encoding not recognised</translation>
    </message>
    <message>
        <source>CUE 表过大</source>
        <translation>Sheet larger than 1 MB</translation>
    </message>
    <message>
        <source>CUE 表有误：%1（第 %2 行）</source>
        <translation>Cue sheet error: %1 (line %2)</translation>
    </message>
    <message>
        <source>CUE 表有误：%1</source>
        <translation>Cue sheet error: %1</translation>
    </message>
</context>
<context>
    <name>CutTime</name>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>时间不能为负数</source>
        <translation>Times cannot be negative</translation>
    </message>
    <message>
        <source>结束时间必须晚于开始时间</source>
        <translation>The end time must be later than the start time</translation>
    </message>
    <message>
        <source>小时</source>
        <translation>Hours</translation>
    </message>
    <message>
        <source>小时必须小于100</source>
        <translation>Hours must be less than 100</translation>
    </message>
</context>
<context>
    <name>FeedbackDialog</name>
    <message>
        <source>建议和意见</source>
        <translation>Feedback</translation>
    </message>
    <message>
        <source>姓名：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Your Name</source>
        <translation>Your name</translation>
    </message>
    <message>
        <source>EMAIL：</source>
        <translation>Email:</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>Email</translation>
    </message>
    <message>
        <source>留言：</source>
        <translation>Note:</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>您的姓名？</source>
        <translation>Name?</translation>
    </message>
    <message>
        <source>您的Email？</source>
        <translation>Email?</translation>
    </message>
    <message>
        <source>您的意见？</source>
        <translation>Note?</translation>
    </message>
    <message>
        <source>正在发送...</source>
        <translation>Sending...</translation>
    </message>
    <message>
        <source>完毕.</source>
        <translation>Done.</translation>
    </message>
    <message>
        <source>发送失败.</source>
        <translation>Not sent.</translation>
    </message>
</context>
<context>
    <name>FileChoosers</name>
    <message>
        <source>请选择一个文件夹:</source>
        <translation>Please choose a folder:</translation>
    </message>
    <message>
        <source>选择一个文件夹:</source>
        <translation>Choose a folder:</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>FLAC声音文件(*.FLAC, *.flac)|*.flac|所有格式文件(*.*)|*.*</source>
        <extracomment>pairs of a description and its patterns, split by &quot;|&quot;; only the descriptions are words</extracomment>
        <translation>FLAC audio files(*.FLAC, *.flac)|*.flac|All files(*.*)|*.*</translation>
    </message>
</context>
<context>
    <name>FileFailure</name>
    <message>
        <source>文件不存在</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>没有读取权限</source>
        <translation>No permission to read it</translation>
    </message>
    <message>
        <source>是文件夹，不是文件</source>
        <translation>It is a folder, not a file</translation>
    </message>
    <message>
        <source>路径中有一部分不是文件夹</source>
        <translation>A part of its path is not a folder</translation>
    </message>
    <message>
        <source>符号链接层数过多或成环</source>
        <translation>Too many symbolic links, or a loop of them</translation>
    </message>
    <message>
        <source>文件名或路径太长</source>
        <translation>The name or the path is too long</translation>
    </message>
    <message>
        <source>读取时出现设备错误</source>
        <translation>The device reported a read error</translation>
    </message>
    <message>
        <source>转换工具被终止</source>
        <translation>The conversion tool was killed</translation>
    </message>
    <message>
        <source>转换工具退出状态 %1</source>
        <translation>The conversion tool exited with status %1</translation>
    </message>
    <message>
        <source>转换工具没有写出文件</source>
        <translation>The conversion tool wrote no file</translation>
    </message>
    <message>
        <source>转换工具只处理了部分输入</source>
        <translation>The conversion tool processed only part of the input</translation>
    </message>
    <message>
        <source>文件系统不接受输出文件的名称</source>
        <translation>The file system does not accept the output's name</translation>
    </message>
</context>
<context>
    <name>FileList</name>
    <message>
        <source>文件名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>Format</translation>
    </message>
</context>
<context>
    <name>FormatTable</name>
    <message>
        <source>RMVB(RealPlayerRMVB)</source>
        <translation>RMVB(RealPlayerRMVB)</translation>
    </message>
    <message>
        <source>RM(RealPlayerRM)</source>
        <translation>RM(RealPlayerRM)</translation>
    </message>
    <message>
        <source>MPG(MPEG2)</source>
        <translation>MPG(MPEG2)</translation>
    </message>
    <message>
        <source>AVI(Windows Media Player格式)</source>
        <translation>AVI(Windows Media Player)</translation>
    </message>
    <message>
        <source>MP4(高清MPEG4格式)</source>
        <translation>MP4(HD MPEG4 format)</translation>
    </message>
    <message>
        <source>MOV(QuickTime格式)</source>
        <translation>MOV(QuickTime format)</translation>
    </message>
    <message>
        <source>MP4(手机MP4格式)</source>
        <translation>MP4(phone MP4 format)</translation>
    </message>
    <message>
        <source>3GP(手机3GP格式)</source>
        <translation>3GP(phone 3GP format)</translation>
    </message>
    <message>
        <source>MP3(纯音频格式)</source>
        <translation>MP3(audio only format)</translation>
    </message>
    <message>
        <source>单声道</source>
        <translation>Mono</translation>
    </message>
    <message>
        <source>双声道</source>
        <translation>Stereo</translation>
    </message>
    <message>
        <source>原始大小</source>
        <translation>Original size</translation>
    </message>
    <message>
        <source>输出格式：</source>
        <translation>Output format:</translation>
    </message>
    <message>
        <source>MP3 - 音乐声音格式</source>
        <translation>MP3 - music audio format</translation>
    </message>
    <message>
        <source>视频比特率：</source>
        <translation>Video bitrate:</translation>
    </message>
    <message>
        <source>帧率：</source>
        <translation>Frame rate:</translation>
    </message>
    <message>
        <source>视频尺寸：</source>
        <translation>Video size:</translation>
    </message>
    <message>
        <source>声音频率：</source>
        <translation>Sample rate:</translation>
    </message>
    <message>
        <source>声音比特率：</source>
        <translation>Audio bitrate:</translation>
    </message>
    <message>
        <source>声道：</source>
        <translation>Channels:</translation>
    </message>
    <message>
        <source>输出路径：</source>
        <translation>Output folder:</translation>
    </message>
    <message>
        <source>Opus(手机，体积小)</source>
        <translation>Opus (phones, small files)</translation>
    </message>
    <message>
        <source>AAC(M4A，苹果设备)</source>
        <translation>AAC (M4A, Apple devices)</translation>
    </message>
    <message>
        <source>Ogg Vorbis</source>
        <translation>Ogg Vorbis</translation>
    </message>
    <message>
        <source>%1 不能用 %2 kbit/s 的声音比特率（可用 %3–%4 kbit/s）</source>
        <extracomment>%1 the format, %2 the bitrate refused, %3 and %4 the least and the most it takes</extracomment>
        <translation>%1 cannot use an audio bitrate of %2 kbit/s (it takes %3–%4 kbit/s)</translation>
    </message>
    <message>
        <source>%1 不能用 %2 Hz 的声音频率（可用 %3 Hz）</source>
        <extracomment>%1 the format, %2 the sample rate refused, %3 the rates it takes</extracomment>
        <translation>%1 cannot use a sample rate of %2 Hz (it takes %3 Hz)</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>HintBox</name>
    <message>
        <source>拖拽文件到这里开始转换</source>
        <translation>Drop files here to convert</translation>
    </message>
    <message>
        <source>搜索文件...</source>
        <translation>Searching files...</translation>
    </message>
</context>
<context>
    <name>MainWindowCommands</name>
    <message>
        <source>Tunoxa 官方网站      <byte value="xd"/>
</source>
        <translation>Tunoxa website      <byte value="xd"/>
</translation>
    </message>
    <message>
        <source>  版权所有 (C) Tunoxa 工作室，保留所有权利<byte value="xd"/>
www.tunoxa.invalid  </source>
        <translation>  Copyright (C) Tunoxa Studio. All rights reserved.<byte value="xd"/>
www.tunoxa.invalid  </translation>
    </message>
    <message>
        <source>添加文件</source>
        <translation>Add File</translation>
    </message>
    <message>
        <source>添加文件夹</source>
        <translation>Add Folder</translation>
    </message>
    <message>
        <source>移除选中文件</source>
        <translation>Remove Selected File</translation>
    </message>
    <message>
        <source>移除全部</source>
        <translation>Remove All</translation>
    </message>
    <message>
        <source>移除文件</source>
        <translation>Remove File</translation>
    </message>
    <message>
        <source>提示设置</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>立刻开始转换！</source>
        <translation>Convert now!</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>文件操作</source>
        <translation>File Operations</translation>
    </message>
</context>
<context>
    <name>MainWindowLayout</name>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Help &amp; Tutorial</source>
        <translation>Help &amp; Tutorial</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>Minimize Window</source>
        <translation>Minimize Window</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>文件列表</source>
        <translation>File list</translation>
    </message>
    <message>
        <source>转换进度</source>
        <translation>Conversion progress</translation>
    </message>
    <message>
        <source>输出路径</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <source>意见反馈</source>
        <extracomment>48 pixels wide, and bold under the pointer</extracomment>
        <translation>Tell us</translation>
    </message>
    <message>
        <source>Drag media files onto this DropZone</source>
        <translation>Drag media files onto this DropZone</translation>
    </message>
</context>
<context>
    <name>OptionsDialog</name>
    <message>
        <source>选项设置</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>转换完毕声音提示</source>
        <translation>Sound when done</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>On</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Music Cutter</source>
        <translation>Music Cutter</translation>
    </message>
    <message>
        <source>时</source>
        <comment>unit after a time field</comment>
        <translation>h</translation>
    </message>
    <message>
        <source>分</source>
        <comment>unit after a time field</comment>
        <translation>m</translation>
    </message>
    <message>
        <source>秒</source>
        <comment>unit after a time field</comment>
        <translation>s</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>开始 时</source>
        <translation>Start hours</translation>
    </message>
    <message>
        <source>开始 分</source>
        <translation>Start minutes</translation>
    </message>
    <message>
        <source>开始 秒</source>
        <translation>Start seconds</translation>
    </message>
    <message>
        <source>结束</source>
        <translation>End</translation>
    </message>
    <message>
        <source>结束 时</source>
        <translation>End hours</translation>
    </message>
    <message>
        <source>结束 分</source>
        <translation>End minutes</translation>
    </message>
    <message>
        <source>结束 秒</source>
        <translation>End seconds</translation>
    </message>
    <message>
        <source>同时转换文件数</source>
        <translation>Files at once</translation>
    </message>
    <message>
        <source>音乐库模式</source>
        <translation>Library mode</translation>
    </message>
    <message>
        <source>保留文件夹结构和封面，文件名不加时间，跳过已转换的文件</source>
        <translation>Keep folders and covers, plain names, skip done files</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>分钟必须小于60</source>
        <translation>Minutes must be less than 60</translation>
    </message>
    <message>
        <source>分钟</source>
        <translation>Minutes</translation>
    </message>
    <message>
        <source>秒必须小于60</source>
        <translation>Seconds must be less than 60</translation>
    </message>
    <message>
        <source>秒</source>
        <comment>title of a warning about the seconds</comment>
        <translation>Seconds</translation>
    </message>
    <message>
        <source>删除来源已不在的输出</source>
        <translation>Delete outputs whose source is gone</translation>
    </message>
    <message>
        <source>封面最大边长</source>
        <translation>Largest cover edge</translation>
    </message>
    <message>
        <source>不限</source>
        <translation>Any</translation>
    </message>
    <message>
        <source>文件名兼容 FAT</source>
        <translation>Names FAT can store</translation>
    </message>
</context>
<context>
    <name>PopupMenus</name>
    <message>
        <source>File</source>
        <translation>File</translation>
    </message>
    <message>
        <source>添加文件(&amp;A)</source>
        <translation>&amp;Add File</translation>
    </message>
    <message>
        <source>添加目录(&amp;F)</source>
        <translation>Add &amp;Folder</translation>
    </message>
    <message>
        <source>退出(&amp;E)</source>
        <translation>&amp;Exit</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>设置(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>移除选择项</source>
        <translation>Remove Selected</translation>
    </message>
    <message>
        <source>移除全部</source>
        <translation>Remove All</translation>
    </message>
</context>
<context>
    <name>ProductInfo</name>
    <message>
        <source>Tunoxa转换器</source>
        <translation>Tunoxa Converter</translation>
    </message>
    <message>
        <source>Ver %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>ProgressState</name>
    <message>
        <source>结束 100%</source>
        <translation>Finished 100%</translation>
    </message>
    <message>
        <source>完成 100%</source>
        <translation>Complete 100%</translation>
    </message>
</context>
<context>
    <name>RunTexts</name>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>请先添加一个文件</source>
        <translation>Please add a file first.</translation>
    </message>
    <message>
        <source>输出路径</source>
        <translation>Output Folder</translation>
    </message>
    <message>
        <source>无法写入输出文件夹：</source>
        <translation>Cannot write to the output folder: </translation>
    </message>
    <message>
        <source>准备中 - 正在估算音频长度</source>
        <translation>Preparing - measuring audio length</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Done.</translation>
    </message>
    <message>
        <source>转换中止</source>
        <translation>Conversion stopped</translation>
    </message>
    <message numerus="yes">
        <source>完成，%n 个文件转换失败</source>
        <translation>
            <numerusform>Done, %n file failed</numerusform>
            <numerusform>Done, %n files failed</numerusform>
        </translation>
    </message>
    <message>
        <source>转换失败</source>
        <translation>Conversion failed</translation>
    </message>
    <message>
        <source>：</source>
        <extracomment>between a failed file&apos;s path and the reason it failed</extracomment>
        <translation>: </translation>
    </message>
    <message>
        <source>没有选择输出格式</source>
        <translation>No output format selected</translation>
    </message>
    <message>
        <source>无法访问输入文件</source>
        <translation>Cannot access the input file</translation>
    </message>
    <message>
        <source>磁盘空间不足</source>
        <translation>Not enough disk space</translation>
    </message>
    <message>
        <source>源文件已损坏</source>
        <translation>The source file is damaged</translation>
    </message>
    <message>
        <source>源文件无法解码</source>
        <translation>The source file cannot be decoded</translation>
    </message>
    <message>
        <source>输出文件不完整</source>
        <translation>The output file is incomplete</translation>
    </message>
    <message>
        <source>输出位置已被占用</source>
        <translation>The output location is taken</translation>
    </message>
    <message>
        <source>已是最新</source>
        <translation>Up to date</translation>
    </message>
    <message>
        <source>剪切范围超出文件长度</source>
        <translation>The cut lies beyond the end of the file</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>Not a regular file</translation>
    </message>
    <message>
        <source>已更新标签</source>
        <translation>Tags updated</translation>
    </message>
    <message>
        <source>已移动</source>
        <translation>Moved</translation>
    </message>
    <message>
        <source>音乐库模式</source>
        <translation>Library mode</translation>
    </message>
    <message numerus="yes">
        <source>将删除 %n 个来源已不在的输出文件。</source>
        <translation>
            <numerusform>%n output file whose source is gone will be deleted.</numerusform>
            <numerusform>%n output files whose source is gone will be deleted.</numerusform>
        </translation>
    </message>
    <message>
        <source>音乐库文件夹为空或无法读取，未删除任何文件：</source>
        <translation>The library folder is empty or cannot be read; nothing was deleted: </translation>
    </message>
    <message>
        <source>设置无法使用</source>
        <translation>Setting not usable</translation>
    </message>
    <message>
        <source>另一进程正在转换</source>
        <translation>Another process converts it</translation>
    </message>
    <message>
        <source>文件内的 CUE 表与文件不符，已整个转换</source>
        <translation>The cue sheet inside it does not fit it; it was converted whole</translation>
    </message>
    <message>
        <source>输出文件未能写入音乐库标记</source>
        <translation>The output could not take the library mark</translation>
    </message>
    <message>
        <source>封面图片已损坏或无法读取，输出文件没有封面</source>
        <translation>The cover picture is broken or cannot be read; the output has no cover</translation>
    </message>
    <message>
        <source>注意</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>输出文件夹中的链接不属于副本，未移动或删除其中任何文件：</source>
        <translation>A link in the output folder is not part of the copy; nothing in it was moved or deleted: </translation>
    </message>
</context>
<context>
    <name>RunnerTexts</name>
    <message>
        <source>转换中</source>
        <translation>Converting</translation>
    </message>
    <message>
        <source>Command Line empty</source>
        <translation>Command line empty</translation>
    </message>
    <message>
        <source>File or command not found</source>
        <translation>File or command not found</translation>
    </message>
</context>
<context>
    <name>StandardDialogs</name>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>StartOptions</name>
    <message>
        <source>用法：tunoxa [-h] [--version] [--] [FILE|FOLDER...]
打开转换窗口，把 FILE 和 FOLDER（及其子文件夹）中的 FLAC 文件加入列表；程序已在运行时，交给它的窗口。

  -h, --help     显示本说明
      --version  显示版本
  --             其后的参数都是文件，即使以 - 开头

也接受 Qt 的选项，如 -platform、-style。不用窗口转换文件：tunoxa-batch --help。
</source>
        <extracomment>the options and the column their descriptions start in stay as they are</extracomment>
        <translation>Usage: tunoxa [-h] [--version] [--] [FILE|FOLDER...]
Opens the conversion window and adds each FILE, and the FLAC files of each FOLDER and its subfolders, to the list; when the program already runs, its window takes them.

  -h, --help     show this help
      --version  show the version
  --             every argument after it is a file, even if it starts with -

Qt&apos;s options, such as -platform and -style, are accepted too. To convert without a window: tunoxa-batch --help.
</translation>
    </message>
    <message>
        <source>tunoxa：没有这个选项，也没有这个文件：%1
用法见 tunoxa --help。
</source>
        <translation>tunoxa: no such option, and no such file: %1
See tunoxa --help for the usage.
</translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>没有可用的图形显示 (DISPLAY)</source>
        <translation>No graphical display available (DISPLAY)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>the running program did not take the files</source>
        <translation>the running program did not take the files</translation>
    </message>
</context>
</TS>
