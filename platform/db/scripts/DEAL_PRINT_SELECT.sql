-- One deal as printed documents show it: the seller's and the buyer's
-- requisites, the terms and the people, with dates already in printed form.
-- The deal's own delivery details win over the recipient's requisites.
select d.id, d.id_doc,
       to_char(d.d_create, 'DD.MM.YYYY') as c_deal_date,
       to_char(current_date, 'DD.MM.YYYY') as c_today,
       sys.c_date_words(current_date) as c_today_words,
       to_char(d.d_execution, 'DD.MM.YYYY') as c_execution,
       d.c_base, d.c_comment, st.c_name as c_state,
       cur.c_code as c_currency_code, cur.c_short_name as c_currency, cur.c_name as c_currency_name,
       pay.c_name as c_payer, u.c_name as c_creator,
       dv.c_name as c_seller,
       jur.c_division_requisite( d.id_division , 'CR_INN' ) as c_seller_inn,
       jur.c_division_requisite( d.id_division , 'CR_KPP' ) as c_seller_kpp,
       jur.c_division_requisite( d.id_division , 'CR_JUR_ADDR' ) as c_seller_address,
       jur.c_division_requisite( d.id_division , 'CR_ACTUAL_ADDR' ) as c_seller_actual_address,
       jur.c_division_requisite( d.id_division , 'CR_BANK' ) as c_seller_bank,
       jur.c_division_requisite( d.id_division , 'CR_BIC' ) as c_seller_bic,
       jur.c_division_requisite( d.id_division , 'CR_PAYMENT_ACCOUNT' ) as c_seller_account,
       jur.c_division_requisite( d.id_division , 'CR_CORRESPONDENT_ACCOUNT' ) as c_seller_corr_account,
       jur.c_division_requisite( d.id_division , 'CR_PHONE' ) as c_seller_phone,
       jur.c_division_requisite( d.id_division , 'CR_EMAIL' ) as c_seller_email,
       c.c_name as c_buyer,
       coalesce(nullif(btrim(d.c_inn), ''), jur.c_contractor_requisite( d.id_contractor , 'CR_INN' )) as c_buyer_inn,
       jur.c_contractor_requisite( d.id_contractor , 'CR_KPP' ) as c_buyer_kpp,
       jur.c_contractor_requisite( d.id_contractor , 'CR_JUR_ADDR' ) as c_buyer_address,
       coalesce(nullif(btrim(d.c_address), ''),
                jur.c_contractor_requisite( d.id_contractor , 'CR_ACTUAL_ADDR' ),
                jur.c_contractor_requisite( d.id_contractor , 'CR_JUR_ADDR' )) as c_delivery_address,
       jur.c_contractor_requisite( d.id_contractor , 'CR_BANK' ) as c_buyer_bank,
       jur.c_contractor_requisite( d.id_contractor , 'CR_BIC' ) as c_buyer_bic,
       jur.c_contractor_requisite( d.id_contractor , 'CR_PAYMENT_ACCOUNT' ) as c_buyer_account,
       coalesce(nullif(btrim(d.c_contact_person), ''), cp.c_name) as c_contact_person,
       case when nullif(btrim(d.c_contact_person), '') is null then cp.c_post end as c_contact_post,
       coalesce(nullif(btrim(d.c_phone), ''), jur.c_contractor_requisite( d.id_contractor , 'CR_PHONE' )) as c_buyer_phone,
       tc.c_name as c_transport_company, d.c_sending_number
  from jur.t_deals d
  join jur.t_deal_state st on st.id = d.id_state
  join dirs.t_currency cur on cur.id = d.id_currency
  left join jur.t_deal_payer_for_delivery pay on pay.id = d.id_payer_for_delivery
  left join sys.t_user u on u.id = d.id_creator
  left join sys.t_division dv on dv.id = d.id_division
  left join jur.t_contractor c on c.id = d.id_contractor
  left join jur.t_contractor tc on tc.id = d.id_transport_company
  left join lateral (
        select p.c_name, p.c_post
          from jur.t_contact_person p
         where p.id_contractor = d.id_contractor
         order by p.id
         limit 1) cp on true
 where d.id = :id
