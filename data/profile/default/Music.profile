<?xml version="1.0" encoding="utf-8"?>
<!-- Built-in profile "Music": a gentle loudness curve with bass and brilliance enhancement. -->
<Profile Name="UserDefine">
  <Endpoint Name="Speakers" DataFlow="Out">
    <ApoEffect Name="SpeakerEQ">
      <Property Name="Enable_EQ_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider1" Value="5" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider2" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider3" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider4" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider5" Value="-1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider6" Value="-1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider7" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider8" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider9" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider10" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerEM">
      <Property Name="Enable_RFX_GFX" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="RFX_ENVIRONMENT" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="RFX_ROOMSIZE" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerVimoDynamicBass">
      <Property Name="Enable_VIRTUALBASS_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_Mode" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_Level" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_CutOffFrequency" Value="160" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerVimoAudioBrilliant">
      <Property Name="Enable_AUDIOBRILLIANT_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="AUDIOBRILLIANT_LEVEL" Value="5" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
  </Endpoint>
  <Endpoint Name="Headphone" DataFlow="Out">
    <ApoEffect Name="HeadPhoneEQ">
      <Property Name="Enable_EQ_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider1" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider2" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider3" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider4" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider5" Value="-1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider6" Value="-1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider7" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider8" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider9" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider10" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="HeadPhoneVimoDynamicBass">
      <Property Name="Enable_VIRTUALBASS_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_Mode" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_Level" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VIRTUALBASS_CutOffFrequency" Value="160" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
  </Endpoint>
</Profile>
